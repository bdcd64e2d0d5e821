#include "QtMessageReporter.h"

#include <QApplication>
#include <QMessageBox>

#include "QtText.h"

namespace kivra {

QtMessageReporter::QtMessageReporter(QString programTitle, QWidget* parent)
    : programTitle_(std::move(programTitle)), parent_(parent) {}

void QtMessageReporter::Report(const Message& message) {
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (message.icon) {
    case MessageIcon::Critical: icon = QMessageBox::Critical; break;
    case MessageIcon::Exclamation: icon = QMessageBox::Warning; break;
    case MessageIcon::Question: icon = QMessageBox::Question; break;
    case MessageIcon::Information: icon = QMessageBox::Information; break;
    }
    const QString title = message.title.empty() ? programTitle_ : ToQString(message.title);
    QString text = ToQString(message.text);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent_.data());
    // A message may come while the hourglass is up; the user must see an arrow.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (busy) QApplication::restoreOverrideCursor();
}

}  // namespace kivra
