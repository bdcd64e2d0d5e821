#include <QApplication>

#include "Main.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kivra Tag"));
    kivra::Main window;  // shows itself as it loads
    return QApplication::exec();
}
