#include "frmConfig.h"
#include "FramePlacement.h"

#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>

#include "DesignControls.h"
#include "DisplaySettings.h"
#include "HelpFile.h"
#include "ProgramValues.h"
#include "QtText.h"
#include "SettingValues.h"
#include "Twips.h"

namespace kivra {
namespace {

constexpr int kClientWidth = 7335;
constexpr int kClientHeight = 2775;

QString WithTrailingSeparator(QString folder) {
    folder = QDir::toNativeSeparators(folder);
    if (!folder.endsWith(QDir::separator())) folder += QDir::separator();
    return folder;
}

// The stored number of a check box state: 0 clear, 1 ticked, 2 greyed.
QString StoredState(Qt::CheckState state) {
    switch (state) {
    case Qt::Checked: return QStringLiteral("1");
    case Qt::PartiallyChecked: return QStringLiteral("2");
    default: return QStringLiteral("0");
    }
}

}  // namespace

Qt::CheckState CheckStateOfSetting(const std::string& stored) {
    const auto number = ReadSettingNumber(stored);
    if (number && *number == 2.0) return Qt::PartiallyChecked;
    return ReadSettingFlag(stored).value_or(false) ? Qt::Checked : Qt::Unchecked;
}

frmConfig::frmConfig(WindowServices& services, QWidget* parent) : QDialog(parent), services_(services) {
    setObjectName(QStringLiteral("frmConfig"));
    setWindowTitle(QStringLiteral("Configuration"));
    const double dpi = LogicalDpi(this);
    setFixedSize(TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi));

    auto check = [this](const char* name, const char* text, int l, int t, int w, int h) {
        auto* box = new QCheckBox(QString::fromLatin1(text), this);
        box->setObjectName(QString::fromLatin1(name));
        PlaceInTwips(box, l, t, w, h);
        return box;
    };
    auto label = [this](const char* name, const char* text, int l, int t, int w, int h) {
        QLabel* lbl = MakeLabel(this, name, text, l, t, w, h);
        lbl->setWordWrap(true);
        return lbl;
    };
    auto box = [this](const char* name, int l, int t, int w, int h, bool fixedPitch) {
        auto* edit = new QLineEdit(QString::fromLatin1(name), this);  // the design text is the box's name
        edit->setObjectName(QString::fromLatin1(name));
        if (fixedPitch) {
            QFont font(QStringLiteral("Courier"));
            font.setStyleHint(QFont::TypeWriter);
            edit->setFont(font);
        }
        PlaceInTwips(edit, l, t, w, h);
        return edit;
    };
    auto button = [this](const char* name, const char* icon, const char* tip, int l, int t, int w, int h) {
        return MakePictureButton(this, name, icon, tip, l, t, w, h);
    };

    chkShowTotal_ = check("chkShowTotal", "Show Total Times", 420, 120, 1995, 255);
    chkShowBars_ = check("chkShowBars", "Show Time Bars", 420, 420, 1875, 255);
    label("Label1", "Time Display Format", 180, 900, 1935, 255);
    txtFormat_ = box("txtFormat", 2160, 900, 1875, 285, true);
    label("Label2", "Parameter Delimiter Character", 180, 1380, 1935, 495);
    txtParamChar_ = box("txtParamChar", 2160, 1380, 1035, 285, true);
    cmdSelect_ = button("cmdSelect", "folder", "Select Default Folder", 120, 2040, 615, 615);
    label("Label3", "Default PAD File Path", 840, 2100, 3135, 315);
    txtDefaultPath_ = box("txtDefaultPath", 840, 2340, 6375, 285, false);
    cmdExit_ = button("cmdExit", "exit", "", 6060, 120, 675, 615);
    label("Label6", "Exit", 6840, 180, 435, 195);

    connect(txtFormat_, &QLineEdit::textChanged, this, &frmConfig::txtFormat_Change);
    connect(txtParamChar_, &QLineEdit::textChanged, this, &frmConfig::txtParamChar_Change);
    connect(chkShowTotal_, &QCheckBox::stateChanged, this, &frmConfig::chkShowTotal_Click);
    connect(chkShowBars_, &QCheckBox::stateChanged, this, &frmConfig::chkShowBars_Click);
    // A user's click only ever ticks or clears a greyed box.
    for (QCheckBox* flag : {chkShowTotal_, chkShowBars_}) {
        connect(flag, &QCheckBox::pressed, flag, [flag] { flag->setTristate(false); });
    }
    NameButtons(this, {{"cmdSelect", "Select Default Folder"}, {"cmdExit", "Exit"}});
    connect(cmdSelect_, &QToolButton::clicked, this, &frmConfig::cmdSelect_Click);
    connect(cmdExit_, &QToolButton::clicked, this, &frmConfig::cmdExit_Click);
    Form_Load();
}

void frmConfig::Form_Load() {
    Program().HelpFile = (services_.ProgramFolder() / kAnalyzerHelpFile).string();
    const QRect screen = (parentWidget() != nullptr && parentWidget()->screen() != nullptr)
                             ? parentWidget()->screen()->geometry()
                             : QGuiApplication::primaryScreen()->geometry();
    CentreFrameOnScreen(*this, screen);

    const ConfigClass& config = services_.Config();
    txtFormat_->setText(ToQString(config.Value("Application", "Format")));
    txtParamChar_->setText(ToQString(config.Value("Application", "ParamChar")));
    chkShowBars_->setCheckState(CheckStateOfSetting(config.Value("Application", "ShowBars")));
    chkShowTotal_->setCheckState(CheckStateOfSetting(config.Value("Application", "ShowTotal")));
    txtDefaultPath_->setText(ToQString(config.Value("Application", "DefaultPath")));
    if (txtDefaultPath_->text().isEmpty()) {
        // Only shown: the setting stays empty until a folder is chosen.
        txtDefaultPath_->setText(WithTrailingSeparator(ToQString((services_.ProgramFolder() / "PADs").string())));
    }
}

void frmConfig::Store(const char* key, const QString& value) {
    services_.Config().Value("Application", key, "", ToStdString(value));
}

void frmConfig::txtFormat_Change() { Store("Format", txtFormat_->text()); }

void frmConfig::txtParamChar_Change() { Store("ParamChar", txtParamChar_->text()); }

void frmConfig::chkShowTotal_Click() { Store("ShowTotal", StoredState(chkShowTotal_->checkState())); }

void frmConfig::chkShowBars_Click() { Store("ShowBars", StoredState(chkShowBars_->checkState())); }

void frmConfig::cmdSelect_Click() {
    const auto folder = services_.Files().ChooseFolder(this, txtDefaultPath_->text());
    if (!folder) return;
    const QString shown = WithTrailingSeparator(*folder);
    txtDefaultPath_->setText(shown);
    Store("DefaultPath", shown);
}

}  // namespace kivra
