// The program's help file, opened by F1 anywhere in the program and by the
// About dialog's Help button.
#pragma once

#include <QWidget>

#include "DesktopSeams.h"
#include "MessageReporter.h"

namespace kivra {

// The help files: the README as an HTML page, built beside the programs.
inline constexpr const char* kAnalyzerHelpFile = "Kivra.html";
inline constexpr const char* kTaggerHelpFile = "Quorlin.html";

// Opens the program's help file with the desktop opener; a missing file gets
// a message that names it.
void OpenHelpFile(DesktopOpener& opener, MessageReporter& reporter);

// Makes F1 open the help file while any window of the program is active.
void InstallHelpKey(QWidget* window, DesktopOpener& opener, MessageReporter& reporter);

}  // namespace kivra
