// What every main window holds for the life of its program: the message
// reporter, the settings store and the ways out to the desktop.
#pragma once

#include <QString>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "ConfigClass.h"
#include "DesktopSeams.h"
#include "MessageReporter.h"

namespace kivra {

// What a window is handed. A null pointer means the real thing: modal
// message boxes, file dialogs, the desktop's opener, real processes.
struct WindowSeams {
    MessageReporter* reporter = nullptr;
    FileChooser* files = nullptr;
    DesktopOpener* opener = nullptr;
    ProcessStarter* processes = nullptr;
    EventPump::Clock clock;
    std::filesystem::path programFolder;  // empty: the running program's own folder
};

class WindowServices {
public:
    // Message boxes without a title of their own bear programTitle.
    WindowServices(const QString& programTitle, QWidget* owner, const WindowSeams& seams);
    ~WindowServices();

    MessageReporter& Reporter() const { return *reporter_; }
    const ConfigClass& Config() const { return *config_; }
    FileChooser& Files() const { return *files_; }
    DesktopOpener& Opener() const { return *opener_; }
    ProcessStarter& Processes() const { return *processes_; }
    EventPump& Pump() { return pump_; }
    // The folder of the program's files: help file, tagger, report.
    const std::filesystem::path& ProgramFolder() const { return programFolder_; }

private:
    std::unique_ptr<MessageReporter> ownReporter_;
    std::unique_ptr<FileChooser> ownFiles_;
    std::unique_ptr<DesktopOpener> ownOpener_;
    std::unique_ptr<ProcessStarter> ownProcesses_;
    MessageReporter* reporter_;
    FileChooser* files_;
    DesktopOpener* opener_;
    ProcessStarter* processes_;
    std::unique_ptr<ConfigClass> config_;
    EventPump pump_;
    std::filesystem::path programFolder_;
};

}  // namespace kivra
