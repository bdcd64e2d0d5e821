#include "AboutDialog.h"
#include "FramePlacement.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QToolButton>

#include "DesignControls.h"
#include "FeedbackDialog.h"
#include "HelpFile.h"
#include "KivraVersion.h"
#include "MakerAddresses.h"
#include "ProgramValues.h"
#include "QtText.h"
#include "Twips.h"

namespace kivra {
namespace {

constexpr int kClientWidth = 6000;
constexpr int kClientHeight = 3900;
constexpr int kButton = 495;

}  // namespace

AboutDialog::AboutDialog(WindowServices& services, AboutVariant variant, QWidget* parent)
    : QDialog(parent), services_(services), variant_(variant) {
    const bool analyzer = variant == AboutVariant::Analyzer;
    setObjectName(analyzer ? QStringLiteral("frmAbout") : QStringLiteral("About"));
    const double dpi = LogicalDpi(this);
    setFixedSize(TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi));

    QLabel* title =
        MakeLabel(this, "lblTitle", analyzer ? "Kivra" : "Kivra Tag", 120, 120, analyzer ? 4200 : 3000, 700);
    title->setFont(QFont(analyzer ? QStringLiteral("Comic Sans MS") : QStringLiteral("Curlz MT"), 24));

    auto* exit = MakePictureButton(this, "cmdExit", "exit", "", 4920, 120, kButton, kButton);
    MakeLabel(this, "Label2", "Exit", 5460, 240, 500, 255);
    connect(exit, &QToolButton::clicked, this, &AboutDialog::cmdExit_Click);

    QToolButton* brindle = nullptr;
    QToolButton* help = nullptr;
    QToolButton* donate = nullptr;
    if (analyzer) {
        MakePicture(this, "Picture1", "analyzer", 120, 960, 1440);
        MakePicture(this, "Picture2", "tagger", 1740, 1440, 960);
        // The design has no version here; it sits in the free space above Picture2.
        const std::string version = "v" + std::string(kKivraVersion);
        MakeLabel(this, "lblVersion", version.c_str(), 1740, 1080, 1400, 255);
        brindle = MakePictureButton(this, "cmdGotoBrindle", "web", "", 3240, 960, kButton, kButton);
        MakeLabel(this, "Label3", "Brindle...", 3780, 1080, 2100, 255);
        help = MakePictureButton(this, "cmdHelp", "help", "", 3240, 1620, kButton, kButton);
        MakeLabel(this, "Label4", "Help...", 3780, 1740, 2100, 255);
        auto* feedback = MakePictureButton(this, "cmdOpenFeedback", "mail", "", 3240, 2280, kButton, kButton);
        QLabel* feedbackLabel = MakeLabel(this, "Label5", "Send Feedback - Request Assistance", 3780, 2280, 2160, 495);
        feedbackLabel->setWordWrap(true);
        connect(feedback, &QToolButton::clicked, this, &AboutDialog::cmdOpenFeedback_Click);
        donate = MakePictureButton(this, "cmdGotoPayPal", "donate", "", 120, 3240, kButton, kButton);
        MakeLabel(this, "Label6", "Donate...", 660, 3360, 1500, 255);
    } else {
        QLabel* version = MakeLabel(this, "lblVersion", "vx.x.x", 3240, 480, 1200, 255);
        version->setText(ToQString("v" + Program().AppVersion));
        MakePicture(this, "Picture1", "tagger", 4440, 900, 1200);
        MakeLabel(this, "Label3", "Brindle...", 480, 2340, 1200, 255);
        brindle = MakePictureButton(this, "cmdGotoBrindle", "web", "", 600, 2640, kButton, kButton);
        MakeLabel(this, "Label4", "Help...", 2280, 2340, 1200, 255);
        help = MakePictureButton(this, "cmdHelp", "help", "", 2400, 2640, kButton, kButton);
        MakeLabel(this, "Label6", "Donate...", 4080, 2340, 1200, 255);
        donate = MakePictureButton(this, "cmdGotoPayPal", "donate", "", 4200, 2640, kButton, kButton);
    }
    NameButtons(this, {{"cmdExit", "Exit"},
                       {"cmdGotoBrindle", "Brindle..."},
                       {"cmdHelp", "Help..."},
                       {"cmdOpenFeedback", "Send Feedback - Request Assistance"},
                       {"cmdGotoPayPal", "Donate..."}});
    connect(brindle, &QToolButton::clicked, this, &AboutDialog::cmdGotoBrindle_Click);
    connect(help, &QToolButton::clicked, this, &AboutDialog::cmdHelp_Click);
    connect(donate, &QToolButton::clicked, this, &AboutDialog::cmdGotoPayPal_Click);
    Form_Load();
}

void AboutDialog::Form_Load() {
    if (variant_ == AboutVariant::Analyzer) {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        CentreFrameOnScreen(*this, screen);
        Program().HelpFile = (services_.ProgramFolder() / kAnalyzerHelpFile).string();
    } else if (parentWidget() != nullptr) {
        // Half its own width right of the tagger window's corner and its own
        // height below it, on screen or not.
        const QPoint corner = parentWidget()->frameGeometry().topLeft();
        move(corner.x() + width() / 2, corner.y() + height());
    }
    setWindowTitle(ToQString("About " + Program().ProductName));
}

void AboutDialog::cmdHelp_Click() { OpenHelpFile(services_.Opener(), services_.Reporter()); }

void AboutDialog::cmdGotoBrindle_Click() { services_.Opener().Open(ToQString(kMakerHomePage)); }

void AboutDialog::cmdGotoPayPal_Click() { services_.Opener().Open(ToQString(kMakerDonationPage)); }

void AboutDialog::cmdOpenFeedback_Click() {
    frmFeedback feedback(services_, this);
    feedback.exec();
}

}  // namespace kivra
