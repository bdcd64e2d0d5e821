#include "FeedbackDialog.h"
#include "FramePlacement.h"

#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>

#include "DesignControls.h"
#include "HelpFile.h"
#include "MakerAddresses.h"
#include "ProgramValues.h"
#include "QtText.h"
#include "Twips.h"

namespace kivra {
namespace {

constexpr int kClientWidth = 6600;
constexpr int kClientHeight = 5400;
constexpr int kButton = 495;

}  // namespace

frmFeedback::frmFeedback(WindowServices& services, QWidget* parent) : QDialog(parent), services_(services) {
    setObjectName(QStringLiteral("frmFeedback"));
    setWindowTitle(QStringLiteral("Send Feedback"));
    const double dpi = LogicalDpi(this);
    setFixedSize(TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi));

    QLabel* title = MakeLabel(this, "Label1", "Send Feedback", 120, 120, 4800, 600);
    title->setFont(QFont(QStringLiteral("Curlz MT"), 20));
    auto* exit = MakePictureButton(this, "cmdExit", "exit", "", 5520, 120, kButton, kButton);
    MakeLabel(this, "Label2", "Exit", 6060, 240, 500, 255);
    MakeLabel(this, "Label8", "There are two ways to send us feedback:", 120, 840, 6360, 255);

    QGroupBox* web = MakeFrame(this, "Frame2", "Via Website:", 120, 1200, 6360, 900);
    auto* gotoFeedback = MakePictureButton(web, "cmdGotoFeedback", "web", "", 240, 300, kButton, kButton);
    MakeLabel(web, "Label4", "Brindle - Feedback", 840, 420, 3000, 255);

    QGroupBox* mail = MakeFrame(this, "Frame1", "Via Email:", 120, 2280, 6360, 1800);
    MakeLabel(mail, "Label7", "Type", 240, 420, 600, 255);
    cboType_ = new QComboBox(mail);
    cboType_->setObjectName(QStringLiteral("cboType"));
    cboType_->setEditable(true);
    cboType_->addItems({QStringLiteral("Feature Request"), QStringLiteral("Bug Report"), QStringLiteral("Other")});
    cboType_->setCurrentIndex(-1);
    cboType_->setEditText(QString());
    PlaceInTwips(cboType_, 840, 360, 2400, 315);
    cmdSendEmail_ = MakePictureButton(mail, "cmdSendEmail", "mail", "", 3480, 300, kButton, kButton);
    MakeLabel(mail, "Label5", "Start Email ...", 4020, 420, 2100, 255);
    MakeLabel(mail, "Label6", "Subject:", 240, 960, 1200, 255);
    txtSubject_ = new QLineEdit(mail);
    txtSubject_->setObjectName(QStringLiteral("txtSubject"));
    PlaceInTwips(txtSubject_, 240, 1260, 5880, 315);

    MakePicture(this, "Picture1", "analyzer", 120, 4260, 960);

    connect(cboType_, &QComboBox::editTextChanged, this, &frmFeedback::UpdateSendEmail);
    connect(cboType_, &QComboBox::currentIndexChanged, this, &frmFeedback::UpdateSendEmail);
    connect(txtSubject_, &QLineEdit::textChanged, this, &frmFeedback::UpdateSendEmail);
    NameButtons(this,
                {{"cmdExit", "Exit"}, {"cmdGotoFeedback", "Brindle - Feedback"}, {"cmdSendEmail", "Start Email ..."}});
    connect(cmdSendEmail_, &QToolButton::clicked, this, &frmFeedback::cmdSendEmail_Click);
    connect(gotoFeedback, &QToolButton::clicked, this, &frmFeedback::cmdGotoFeedback_Click);
    connect(exit, &QToolButton::clicked, this, &frmFeedback::cmdExit_Click);
    Form_Load();
}

void frmFeedback::Form_Load() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    CentreFrameOnScreen(*this, screen);
    Program().HelpFile = (services_.ProgramFolder() / kAnalyzerHelpFile).string();
    cmdSendEmail_->setEnabled(false);
}

void frmFeedback::UpdateSendEmail() {
    cmdSendEmail_->setEnabled(!cboType_->currentText().isEmpty() && !txtSubject_->text().isEmpty());
}

void frmFeedback::cmdSendEmail_Click() {
    services_.Opener().Open(
        ToQString(FeedbackMailAddress(ToStdString(cboType_->currentText()), ToStdString(txtSubject_->text()))));
}

void frmFeedback::cmdGotoFeedback_Click() { services_.Opener().Open(ToQString(kMakerFeedbackPage)); }

}  // namespace kivra
