#include <QApplication>
#include <iostream>

#include "Main.h"
#include "VersionOption.h"

int main(int argc, char* argv[]) {
    if (kivra::AnswerVersionOption(argc, argv, "Kivra Tag", std::cout)) return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kivra Tag"));
    kivra::Main window;  // shows itself as it loads
    return QApplication::exec();
}
