// The windows' ways out to the desktop, as small interfaces that the
// programs fill with the real thing and tests with fakes: choosing files,
// opening documents and addresses, starting programs, pumping events.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

namespace kivra {

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen file's full path, or nothing when the user cancelled. An
    // empty title leaves the desktop's own.
    virtual std::optional<QString> ChooseFileToOpen(QWidget* parent, const QString& initialPath, const QString& filter,
                                                    const QString& defaultSuffix, const QString& title = {}) = 0;
    // Files to open, one or more; none when the user cancelled.
    virtual QStringList ChooseFilesToOpen(QWidget* parent, const QString& initialPath, const QString& filter,
                                          const QString& title) = 0;
    // The chosen folder, or nothing when the user cancelled.
    virtual std::optional<QString> ChooseFolder(QWidget* parent, const QString& initialFolder) = 0;
    // A file to write: its full path, or nothing when the user cancelled.
    virtual std::optional<QString> ChooseFileToSave(QWidget* parent, const QString& initialPath, const QString& filter,
                                                    const QString& title) = 0;
};

class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    // Opens a file, a web address or a mailto: address with the desktop's
    // program for it. True when the desktop took it.
    virtual bool Open(const QString& fileOrUrl) = 0;
};

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts a program detached, without waiting. True when it started.
    virtual bool StartDetached(const QString& program, const QStringList& arguments) = 0;
};

// Lets the window process its pending events during a long operation, at
// most about every 20 ms so that the operation itself stays fast.
class EventPump {
public:
    using Clock = std::function<qint64()>;  // milliseconds
    explicit EventPump(Clock clock = {});
    void Pump();
    // Processes the events now, whatever the time.
    void PumpNow();

private:
    Clock clock_;
    qint64 last_ = -1;
};

// The real desktop.
class QtFileChooser : public FileChooser {
public:
    std::optional<QString> ChooseFileToOpen(QWidget* parent, const QString& initialPath, const QString& filter,
                                            const QString& defaultSuffix, const QString& title = {}) override;
    QStringList ChooseFilesToOpen(QWidget* parent, const QString& initialPath, const QString& filter,
                                  const QString& title) override;
    std::optional<QString> ChooseFolder(QWidget* parent, const QString& initialFolder) override;
    std::optional<QString> ChooseFileToSave(QWidget* parent, const QString& initialPath, const QString& filter,
                                            const QString& title) override;
};

class QtDesktopOpener : public DesktopOpener {
public:
    bool Open(const QString& fileOrUrl) override;
};

class QtProcessStarter : public ProcessStarter {
public:
    bool StartDetached(const QString& program, const QStringList& arguments) override;
};

}  // namespace kivra
