#include "Main.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>

#include "AboutDialog.h"
#include "BusyCursor.h"
#include "ClipboardText.h"
#include "DefaultSettings.h"
#include "DesignControls.h"
#include "ExactBoxText.h"
#include "HelpFile.h"
#include "KeywordSections.h"
#include "KivraVersion.h"
#include "LineFilters.h"
#include "ProgramValues.h"
#include "QtText.h"
#include "TagPrefix.h"
#include "TagRun.h"
#include "TextEncoding.h"
#include "Twips.h"

namespace kivra {
namespace {

constexpr int kDesignInnerWidth = 11490;
constexpr int kDesignInnerHeight = 8700;
constexpr int kMinimumOuterHeight = 8500;
constexpr int kCodeLeft = 2820;
constexpr int kFrameLeft = 120;
constexpr int kFrameWidth = 2595;
constexpr int kButtonWidth = 675;
constexpr int kButtonHeight = 615;
constexpr int kSmallButton = 495;
constexpr int kClipboardButton = 435;
constexpr int kLabelHeight = 255;

template <typename Box>
Box* MakeOption(QWidget* parent, const char* name, const char* text, const char* tooltip, int left, int top) {
    auto* box = new Box(QString::fromLatin1(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    if (*tooltip != '\0') box->setToolTip(QString::fromLatin1(tooltip));
    PlaceInTwips(box, left, top, 1500, kLabelHeight);
    return box;
}

}  // namespace

// Follows a run for the window: the status at every tenth line, the output
// appended to the box as it comes, the window kept alive between.
class Main::BoxFiller : public RunObserver {
public:
    BoxFiller(Main& window, std::string_view word) : window_(window), word_(word) {}
    bool AtCheckpoint(std::size_t index, std::size_t lastIndex) override {
        window_.txtStatus_->setText(ToQString(ProgressStatus(word_, index, lastIndex)));
        window_.services_.Pump().Pump();
        if (window_.stopRequested_) {
            window_.cmdStop_->setEnabled(false);
            return true;
        }
        return false;
    }
    void Append(std::string_view lines) override { window_.code_->Append(lines); }
    bool TakesOutput() const override { return true; }

private:
    Main& window_;
    std::string_view word_;
};

Main::Main(const WindowSeams& seams, QWidget* parent)
    : QMainWindow(parent), services_(QStringLiteral("Kivra Tag"), this, seams) {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Kivra Code Auto Tag"));
    setWindowIcon(QIcon(QStringLiteral(":/kivra/icons/tagger.png")));
    CreateControls();
    Form_Load();
}

Main::~Main() = default;

void Main::CreateControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    const double dpi = LogicalDpi(this);
    resize(TwipsToPixels(kDesignInnerWidth, dpi), TwipsToPixels(kDesignInnerHeight, dpi));

    // The window's texts in the small size the design was drawn with.
    QFont small = client->font();
    small.setPointSize(8);
    client->setFont(small);

    // A label to the right of its button, centred on it, wrapped within the
    // room up to maxRight (in twips) when it needs more.
    auto labelBeside = [dpi](QWidget* parent, const char* name, const char* text, QToolButton* button, int maxRight) {
        QLabel* label = MakeLabel(parent, name, text, 0, 0, 0, 0);
        const int left = button->geometry().right() + 4;
        label->setWordWrap(true);
        label->setGeometry(left, button->y(), std::max(0, TwipsToPixels(maxRight, dpi) - left), button->height());
        return label;
    };

    MakeLabel(client, "Label1", "Tag Prefix", 120, 180, 900, kLabelHeight);
    txtPrefix_ = new QLineEdit(client);
    txtPrefix_->setObjectName(QStringLiteral("txtPrefix"));
    txtPrefix_->setToolTip(QStringLiteral("Kivra prefix ojbect name"));
    QFont bold = txtPrefix_->font();
    bold.setBold(true);
    txtPrefix_->setFont(bold);
    PlaceInTwips(txtPrefix_, 1080, 120, 1095, 330);

    cmdOpen_ = MakePictureButton(client, "cmdOpen", "open", "Select a file", 180, 600, kButtonWidth, kButtonHeight);
    labelBeside(client, "Label4", "Select File...", cmdOpen_, kFrameLeft + kFrameWidth);

    QGroupBox* fraClipboard = MakeFrame(client, "fraClipboard", "Clipboard:", kFrameLeft, 1320, kFrameWidth, 975);
    cmdPasteFrom_ = MakePictureButton(fraClipboard, "cmdPasteFrom", "paste", "Paste From the clipboard", 180, 300,
                                      kClipboardButton, kClipboardButton);
    labelBeside(fraClipboard, "Label2", "Paste From", cmdPasteFrom_, 1380);
    cmdCopyTo_ = MakePictureButton(fraClipboard, "cmdCopyTo", "copy", "Copy To the clipboard", 1380, 300,
                                   kClipboardButton, kClipboardButton);
    labelBeside(fraClipboard, "Label3", "Copy To", cmdCopyTo_, kFrameWidth);

    QGroupBox* fraAddKivra = MakeFrame(client, "fraAddKivra", "Add Kivra:", kFrameLeft, 2400, kFrameWidth, 1755);
    cmdTag_ =
        MakePictureButton(fraAddKivra, "cmdTag", "tag", "Add Kivra code to", 180, 360, kButtonWidth, kButtonHeight);
    chkSubs_ = MakeOption<QCheckBox>(fraAddKivra, "chkSubs", "Subs", "Include Subs", 960, 240);
    chkFormEvents_ =
        MakeOption<QCheckBox>(fraAddKivra, "chkFormEvents", "Form_Events", "Include Form and Conrol events", 960, 540);
    chkFunctions_ = MakeOption<QCheckBox>(fraAddKivra, "chkFunctions", "Functions", "Include Functions", 960, 840);
    chkProperties_ = MakeOption<QCheckBox>(fraAddKivra, "chkProperties", "Properties", "Include Properties", 960, 1140);
    chkParameters_ = MakeOption<QCheckBox>(fraAddKivra, "chkParameters", "Parameters", "Include Parameters", 960, 1440);
    for (QCheckBox* box : {chkSubs_, chkFormEvents_, chkFunctions_, chkProperties_, chkParameters_}) {
        box->setChecked(true);
    }

    QGroupBox* frame1 = MakeFrame(client, "Frame1", "Comment Kivra:", kFrameLeft, 4260, kFrameWidth, 1095);
    cmdComment_ = MakePictureButton(frame1, "cmdComment", "comment", "Remove Kivra code from", 180, 360, kButtonWidth,
                                    kButtonHeight);
    optCommentOut_ = MakeOption<QRadioButton>(frame1, "optCommentOut", "Out", "", 960, 300);
    optCommentBackIn_ = MakeOption<QRadioButton>(frame1, "optCommentBackIn", "Back In", "", 960, 660);
    optCommentOut_->setChecked(true);

    QGroupBox* fraRemoveKivra =
        MakeFrame(client, "fraRemoveKivra", "Remove Kivra:", kFrameLeft, 5460, kFrameWidth, 1095);
    cmdUnTag_ = MakePictureButton(fraRemoveKivra, "cmdUnTag", "untag", "Remove Kivra code from", 180, 360, kButtonWidth,
                                  kButtonHeight);

    MakeLabel(client, "Label5", "Status:", 240, 6600, 1200, kLabelHeight);
    txtStatus_ = new QLineEdit(client);
    txtStatus_->setObjectName(QStringLiteral("txtStatus"));
    txtStatus_->setReadOnly(true);
    PlaceInTwips(txtStatus_, 240, 6840, 2055, 315);
    cmdStop_ = MakePictureButton(client, "cmdStop", "stop", "Stop", 2460, 6840, 315, 315);

    cmdAbout_ = MakePictureButton(client, "cmdAbout", "about", "About...", 180, 7320, kSmallButton, kSmallButton);
    labelBeside(client, "Label6", "About...", cmdAbout_, 1620);
    cmdExit_ = MakePictureButton(client, "cmdExit", "exit", "Exit", 1620, 7320, kSmallButton, kSmallButton);
    labelBeside(client, "Label7", "Exit", cmdExit_, kFrameLeft + kFrameWidth);

    txtCode_ = new QPlainTextEdit(client);
    txtCode_->setObjectName(QStringLiteral("txtCode"));
    QFont fixed(QStringLiteral("Courier New"), 10);
    fixed.setStyleHint(QFont::TypeWriter);
    txtCode_->setFont(fixed);
    txtCode_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtCode_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtCode_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    PlaceInTwips(txtCode_, kCodeLeft, 120, 8475, 8415);
    code_ = new ExactBoxText(txtCode_);

    NameButtons(this, {{"cmdOpen", "Select File..."},
                       {"cmdPasteFrom", "Paste From"},
                       {"cmdCopyTo", "Copy To"},
                       {"cmdTag", "Add Kivra"},
                       {"cmdComment", "Comment Kivra"},
                       {"cmdUnTag", "Remove Kivra"},
                       {"cmdStop", "Stop"},
                       {"cmdAbout", "About..."},
                       {"cmdExit", "Exit"}});
    connect(cmdOpen_, &QToolButton::clicked, this, &Main::cmdOpen_Click);
    connect(cmdPasteFrom_, &QToolButton::clicked, this, &Main::cmdPasteFrom_Click);
    connect(cmdCopyTo_, &QToolButton::clicked, this, &Main::cmdCopyTo_Click);
    connect(cmdTag_, &QToolButton::clicked, this, &Main::cmdTag_Click);
    connect(cmdUnTag_, &QToolButton::clicked, this, &Main::cmdUnTag_Click);
    connect(cmdComment_, &QToolButton::clicked, this, &Main::cmdComment_Click);
    connect(cmdStop_, &QToolButton::clicked, this, &Main::cmdStop_Click);
    connect(cmdAbout_, &QToolButton::clicked, this, &Main::cmdAbout_Click);
    connect(cmdExit_, &QToolButton::clicked, this, &Main::cmdExit_Click);
}

void Main::Form_Load() {
    Program().HelpFile = (services_.ProgramFolder() / kTaggerHelpFile).string();
    Program().ProductName = "Kivra";
    Program().AppVersion = kKivraVersion;
    Program().ConfigFile = "Config.INI";
    InstallHelpKey(this, services_.Opener(), services_.Reporter());
    SeedSettingsFile(Config(), services_.Reporter());
    txtPrefix_->setText(ToQString(Config().Value("Tag Application", "KivraPrefix")));
    code_->Clear();
    txtStatus_->clear();
    stopRequested_ = false;
    cmdStop_->setEnabled(false);
    Form_Resize();
    show();
}

void Main::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void Main::Form_Resize() {
    if (txtCode_ == nullptr || isMinimized()) return;
    const double dpi = LogicalDpi(this);
    const int frameHeight = frameGeometry().height() - height();
    if (PixelsToTwips(frameGeometry().height(), dpi) < kMinimumOuterHeight - 0.5) {
        // Too low: back to the lowest height; that resize lays the box out.
        resize(width(), TwipsToPixels(kMinimumOuterHeight, dpi) - frameHeight);
        return;
    }
    const QRect inner = centralWidget()->geometry();
    const int top = txtPrefix_->y();
    const int bottomMargin = TwipsToPixels(5, dpi);
    txtCode_->setGeometry(txtCode_->x(), top, std::max(0, inner.width() - txtCode_->x() - bottomMargin),
                          std::max(0, inner.height() - top - bottomMargin));
}

std::string Main::CodeText() const { return code_->Text(); }

void Main::cmdOpen_Click() {
    const QString lastPath = ToQString(Config().Value("Tag Application", "LastPath"));
    const auto chosen = services_.Files().ChooseFileToOpen(
        this, lastPath, QStringLiteral("*.frm (*.frm);;*.bas (*.bas);;*.cls (*.cls)"), QStringLiteral(".v"));
    if (!chosen) return;
    Config().Value("Tag Application", "LastPath", "", ToStdString(*chosen));
    std::string why;
    const auto bytes = ReadFileBytes(ToStdString(*chosen), &why, kMaxSourceBytes);
    if (!bytes) {
        services_.Reporter().Report("The file '" + ToStdString(*chosen) + "' could not be read: " + why + ".",
                                    MessageIcon::Critical);
        return;
    }
    code_->SetText(DecodeText(*bytes).text);
}

void Main::cmdPasteFrom_Click() { code_->SetText(GetClipboardText()); }

void Main::cmdCopyTo_Click() { SetClipboardText(ToQString(CodeText())); }

void Main::cmdAbout_Click() {
    AboutDialog dialog(services_, AboutVariant::Tagger, this);
    dialog.exec();
}

void Main::SetRunning(bool running) {
    running_ = running;
    cmdStop_->setEnabled(running);
    // The buttons that would change the box, and the inputs the run read
    // at its start, wait for the run's end.
    for (QWidget* other : std::initializer_list<QWidget*>{
             cmdOpen_, cmdPasteFrom_, cmdCopyTo_, cmdTag_, cmdUnTag_, cmdComment_, txtPrefix_, chkSubs_, chkFormEvents_,
             chkFunctions_, chkProperties_, chkParameters_, optCommentOut_, optCommentBackIn_}) {
        other->setEnabled(!running);
    }
}

void Main::Run(std::string_view statusWord, const std::function<Operation()>& prepare) {
    if (running_) return;
    stopRequested_ = false;
    const std::string prefix = ToStdString(txtPrefix_->text());
    if (!CheckPrefix(prefix, services_.Reporter())) return;
    const Operation operation = prepare();
    {
        BusyCursor busy;
        SetRunning(true);
        const std::string text = CodeText();
        txtCode_->setUndoRedoEnabled(false);  // a run's text is not undone key by key
        code_->Clear();
        BoxFiller filler(*this, statusWord);
        operation(text, filler);
        txtCode_->setUndoRedoEnabled(true);
        SetRunning(false);
        txtStatus_->setText(ToQString(kCompleteStatus));
    }
    if (closeAfterRun_) close();
}

void Main::cmdTag_Click() {
    Run(kTaggingStatus, [this]() -> Operation {
        TagOptions options;
        options.chkSubs = chkSubs_->isChecked();
        options.chkFunctions = chkFunctions_->isChecked();
        options.chkProperties = chkProperties_->isChecked();
        options.chkFormEvents = chkFormEvents_->isChecked();
        options.chkParameters = chkParameters_->isChecked();
        // The keyword sections are read once for the whole run.
        auto keywords = std::make_shared<KeywordSections>(ReadKeywordSections(Config()));
        const std::string prefix = ToStdString(txtPrefix_->text());
        return [prefix, options, keywords](std::string_view text, RunObserver& observer) {
            return TagText(text, prefix, options, *keywords, &observer);
        };
    });
}

void Main::cmdUnTag_Click() {
    Run(kRemovingStatus, [this]() -> Operation {
        const std::string prefix = ToStdString(txtPrefix_->text());
        return [prefix](std::string_view text, RunObserver& observer) { return UntagText(text, prefix, &observer); };
    });
}

void Main::cmdComment_Click() {
    Run(kCommentingStatus, [this]() -> Operation {
        const std::string prefix = ToStdString(txtPrefix_->text());
        const CommentDirection direction =
            optCommentOut_->isChecked() ? CommentDirection::Out : CommentDirection::BackIn;
        return [prefix, direction](std::string_view text, RunObserver& observer) {
            return CommentText(text, prefix, direction, &observer);
        };
    });
}

void Main::closeEvent(QCloseEvent* event) {
    if (running_) {
        // Exit during a run stops it; the window closes when it has.
        stopRequested_ = true;
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace kivra
