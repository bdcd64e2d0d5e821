#include <QApplication>
#include <clocale>

#include "frmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kivra Analyzer"));
    // Numbers in traces and settings follow the user's regional format.
    std::setlocale(LC_NUMERIC, "");
    kivra::frmMain window({}, QApplication::arguments().mid(1));  // shows itself as it loads
    return QApplication::exec();
}
