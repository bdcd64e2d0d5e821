#include "Main.h"

#include <QIcon>

#include "DefaultSettings.h"
#include "ProgramValues.h"

namespace kivra {

Main::Main(const WindowSeams& seams, QWidget* parent)
    : QMainWindow(parent), services_(QStringLiteral("Kivra Tag"), this, seams) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Kivra Code Auto Tag"));
    setWindowIcon(QIcon(QStringLiteral(":/kivra/icons/tagger.png")));
    Form_Load();
}

Main::~Main() = default;

void Main::Form_Load() {
    Program().ProductName = "Kivra";
    Program().AppVersion = "0.1.0";
    Program().ConfigFile = "Config.INI";
    SeedSettingsFile(services_.Config(), services_.Reporter());
}

}  // namespace kivra
