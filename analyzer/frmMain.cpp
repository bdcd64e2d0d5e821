#include "frmMain.h"

#include <QIcon>

#include "DefaultSettings.h"
#include "ProgramValues.h"

namespace kivra {

frmMain::frmMain(MessageReporter* reporter, QWidget* parent) : QMainWindow(parent), services_(QStringLiteral("Kivra Analyzer"), this, reporter) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Kivra Analyzer"));
    setWindowIcon(QIcon(QStringLiteral(":/kivra/icons/analyzer.png")));
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::Form_Load() {
    Program().ProductName = "Kivra";
    Program().ConfigFile = "Config.ini";
    SeedSettingsFile(services_.Config(), services_.Reporter());
}

}  // namespace kivra
