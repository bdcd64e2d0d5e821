#include "HelpFile.h"

#include <QFileInfo>
#include <QShortcut>

#include "ProgramValues.h"
#include "QtText.h"

namespace kivra {

void OpenHelpFile(DesktopOpener& opener, MessageReporter& reporter) {
    const QString path = ToQString(Program().HelpFile);
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        reporter.Report("The help file '" + Program().HelpFile + "' could not be found.", MessageIcon::Exclamation);
        return;
    }
    opener.Open(path);
}

void InstallHelpKey(QWidget* window, DesktopOpener& opener, MessageReporter& reporter) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F1), window);
    shortcut->setContext(Qt::ApplicationShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, [&opener, &reporter] { OpenHelpFile(opener, reporter); });
}

}  // namespace kivra
