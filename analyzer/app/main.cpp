#include <QApplication>
#include <clocale>
#include <iostream>

#include "VersionOption.h"
#include "frmMain.h"

int main(int argc, char* argv[]) {
    if (kivra::AnswerVersionOption(argc, argv, "analyzer (Kivra)", std::cout)) return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kivra Analyzer"));
    // Numbers in traces and settings follow the user's regional format.
    std::setlocale(LC_NUMERIC, "");
    kivra::frmMain window({}, QApplication::arguments().mid(1));  // shows itself as it loads
    return QApplication::exec();
}
