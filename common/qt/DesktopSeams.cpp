#include "DesktopSeams.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace kivra {

namespace {
constexpr qint64 kPumpIntervalMs = 20;
}

EventPump::EventPump(Clock clock) : clock_(std::move(clock)) {
    if (!clock_) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        clock_ = [timer] { return timer->elapsed(); };
    }
}

void EventPump::Pump() {
    const qint64 now = clock_();
    if (last_ >= 0 && now - last_ < kPumpIntervalMs) return;
    last_ = now;
    QCoreApplication::processEvents();
}

void EventPump::PumpNow() {
    last_ = clock_();
    QCoreApplication::processEvents();
}

std::optional<QString> QtFileChooser::ChooseFileToOpen(QWidget* parent, const QString& initialPath,
                                                       const QString& filter, const QString& defaultSuffix,
                                                       const QString& title) {
    QFileDialog dialog(parent, title, initialPath, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(defaultSuffix.startsWith('.') ? defaultSuffix.mid(1) : defaultSuffix);
    if (!initialPath.isEmpty() && QFileInfo(initialPath).isFile()) dialog.selectFile(initialPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

QStringList QtFileChooser::ChooseFilesToOpen(QWidget* parent, const QString& initialPath, const QString& filter,
                                             const QString& title) {
    QFileDialog dialog(parent, title, initialPath, filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!initialPath.isEmpty() && QFileInfo(initialPath).isFile()) dialog.selectFile(initialPath);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

std::optional<QString> QtFileChooser::ChooseFolder(QWidget* parent, const QString& initialFolder) {
    const QString folder = QFileDialog::getExistingDirectory(parent, QString(), initialFolder);
    if (folder.isEmpty()) return std::nullopt;
    return folder;
}

std::optional<QString> QtFileChooser::ChooseFileToSave(QWidget* parent, const QString& initialPath,
                                                       const QString& filter, const QString& title) {
    QFileDialog dialog(parent, title, initialPath, filter);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!initialPath.isEmpty()) dialog.selectFile(initialPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

bool QtDesktopOpener::Open(const QString& fileOrUrl) {
    const QUrl url = QUrl::fromUserInput(fileOrUrl, QString(), QUrl::AssumeLocalFile);
    return QDesktopServices::openUrl(url);
}

bool QtProcessStarter::StartDetached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

}  // namespace kivra
