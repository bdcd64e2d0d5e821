#include <QApplication>

#include "frmMain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kivra Analyzer"));
    kivra::frmMain window;
    window.show();
    return QApplication::exec();
}
