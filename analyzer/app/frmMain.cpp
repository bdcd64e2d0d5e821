#include "frmMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QToolButton>
#include <QTreeView>
#include <cmath>
#include <optional>

#include "AboutDialog.h"
#include "BackgroundWork.h"
#include "BusyCursor.h"
#include "CallTreeView.h"
#include "DefaultSettings.h"
#include "DesignControls.h"
#include "FramePlacement.h"
#include "HelpFile.h"
#include "OwnTimes.h"
#include "ProgramValues.h"
#include "QtText.h"
#include "ReportFile.h"
#include "SettingValues.h"
#include "TableSnapshot.h"
#include "TimeBar.h"
#include "TraceCellDelegate.h"
#include "TraceTableLoad.h"
#include "TraceTableModel.h"
#include "TraceViews.h"
#include "Twips.h"
#include "frmConfig.h"

namespace kivra {
namespace {

constexpr int kDesignClientWidth = 13125;
constexpr int kDesignClientHeight = 10200;
// The smallest window: About (at the width less 1000) clear of the
// "Configuration..." label that ends at 11595, and a table area (the height
// less 1600) of 1500.
constexpr int kSmallestWidth = 11595 + 65 + 1000;
constexpr int kSmallestHeight = 1600 + 1500;
constexpr int kMissingColumnWidth = 100;
constexpr int kHiddenColumnWidth = 50;

QString TaggerPath(const std::filesystem::path& programFolder) {
#ifdef Q_OS_WIN
    const char* name = "Kivra Tag.exe";
#else
    const char* name = "Kivra Tag";
#endif
    return ToQString((programFolder / name).string());
}

// One blank between the arguments; one enclosing pair of double quotes is
// dropped, the rest of the text is the path as it stands.
QString CommandLineFile(const QStringList& arguments) {
    QString text = arguments.join(QLatin1Char(' '));
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'))) {
        text = text.mid(1, text.size() - 2);
    }
    return text;
}

}  // namespace

frmMain::frmMain(const WindowSeams& seams, const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent),
      services_(QStringLiteral("Kivra Analyzer"), this, seams),
      commandLineFile_(CommandLineFile(arguments)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Kivra Analyzer"));
    setWindowIcon(QIcon(QStringLiteral(":/kivra/icons/analyzer.png")));
    CreateControls();
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::CreateControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    const double dpi = LogicalDpi(this);
    resize(TwipsToPixels(kDesignClientWidth, dpi), TwipsToPixels(kDesignClientHeight, dpi));
    setMinimumSize(TwipsToPixels(kSmallestWidth, dpi), TwipsToPixels(kSmallestHeight, dpi));

    auto button = [client](const char* name, const char* icon, const char* tip, int l, int t, int w, int h) {
        return MakePictureButton(client, name, icon, tip, l, t, w, h);
    };
    auto label = [client](const char* name, const char* text, int l, int t, int w, int h) {
        return MakeLabel(client, name, text, l, t, w, h);
    };

    cmdSelect_ = button("cmdSelect", "open", "Select PAD file", 120, 120, 675, 615);
    Label1_ = label("Label1", "Kivra PAD file:", 840, 120, 1695, 255);
    lblRunDate_ = label("lblRunDate", "Run Date:", 3180, 120, 2715, 255);
    lblResolution_ = label("lblResolution", "Resolution: ", 6000, 120, 1515, 255);
    txtFile_ = new QLineEdit(client);
    txtFile_->setObjectName(QStringLiteral("txtFile"));
    PlaceInTwips(txtFile_, 840, 360, 6675, 285);
    cmdGo_ = button("cmdGo", "update", "Update", 7620, 180, 615, 615);
    Label4_ = label("Label4", "Update", 8280, 180, 675, 255);
    cmdAutoSize_ = button("cmdAutoSize", "autosize", "", 8400, 480, 375, 315);
    Label2_ = label("Label2", "Auto size", 8820, 540, 915, 255);
    cmdCopyPrint_ = button("cmdCopyPrint", "copy", "Open Configuration", 9120, 120, 375, 315);
    Label5_ = label("Label5", "Copy...", 9540, 120, 675, 255);
    cmdConfig_ = button("cmdConfig", "config", "Open Configuration", 9780, 480, 375, 315);
    Label3_ = label("Label3", "Configuration...", 10200, 540, 1395, 255);
    cmdKivraTag_ = button("cmdKivraTag", "tag", "Open Configuration", 10200, 120, 375, 315);
    Label6_ = label("Label6", "Kivra Tag...", 10620, 120, 915, 255);
    lblAbout_ = label("lblAbout", "About...", 12120, 60, 705, 255);
    cmdAbout_ = button("cmdAbout", "about", "Open About dialog", 12120, 300, 495, 495);

    iGridTree_ = new CallTreeView(client);
    iGridTree_->setObjectName(QStringLiteral("iGridTree"));
    model_ = new TraceTableModel(iGridTree_);
    delegate_ = new TraceCellDelegate(
        barScale_, [this](float value) { return timeFormat_.Format(value); },
        [this](std::string_view text) { return timeFormat_.Read(text); }, iGridTree_);
    iGridTree_->SetTraceModel(model_);
    iGridTree_->setItemDelegate(delegate_);
    // The time bars' scale follows the times shown, corrected or not.
    connect(model_, &QAbstractItemModel::headerDataChanged, this, [this] { ScaleTimeBars(); });
    iGridTree_->setUniformRowHeights(true);
    iGridTree_->setAllColumnsShowFocus(true);
    iGridTree_->setFont(QFont(QStringLiteral("Courier New"), 10));
    QHeaderView* header = iGridTree_->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setMinimumSectionSize(0);
    header->setFont(QFont(QStringLiteral("Courier New"), 11));
    header->setFixedHeight(22);
    header->setStyleSheet(QStringLiteral(
        "QHeaderView::section { color: rgb(255, 0, 0); border: none; border-right: 1px solid palette(mid);"
        " border-bottom: 1px solid rgb(0, 0, 255); padding: 0 2px; }"));
    // The table area holds the grid as the first of the views.
    views_ = new TraceViews(services_, iGridTree_, model_, client);
    PlaceInTwips(views_, 180, 960, 11895, 4575);

    NameButtons(this, {{"cmdSelect", "Select PAD file"},
                       {"cmdGo", "Update"},
                       {"cmdAutoSize", "Auto size"},
                       {"cmdCopyPrint", "Copy..."},
                       {"cmdConfig", "Configuration..."},
                       {"cmdKivraTag", "Kivra Tag..."},
                       {"cmdAbout", "About..."}});
    connect(cmdSelect_, &QToolButton::clicked, this, &frmMain::cmdSelect_Click);
    connect(cmdGo_, &QToolButton::clicked, this, &frmMain::cmdGo_Click);
    connect(cmdAutoSize_, &QToolButton::clicked, this, &frmMain::cmdAutoSize_Click);
    connect(cmdCopyPrint_, &QToolButton::clicked, this, &frmMain::cmdCopyPrint_Click);
    connect(cmdConfig_, &QToolButton::clicked, this, &frmMain::cmdConfig_Click);
    connect(cmdKivraTag_, &QToolButton::clicked, this, &frmMain::cmdKivraTag_Click);
    connect(cmdAbout_, &QToolButton::clicked, this, &frmMain::cmdAbout_Click);
}

void frmMain::Form_Load() {
    Program().ProductName = "Kivra";
    Program().ConfigFile = "Config.ini";
    SeedSettingsFile(Config(), services_.Reporter());
    display_ = ReadDisplaySettings(Config());
    Program().HelpFile = (services_.ProgramFolder() / kAnalyzerHelpFile).string();
    InstallHelpKey(this, services_.Opener(), services_.Reporter());
    txtFile_->setText(ToQString(Config().Value("Application", "LastFile")));
    views_->ApplySettings(ReadViewSettings(Config()));
    RestorePlacement();
    cmdGo_Click();
}

void frmMain::RestorePlacement() {
    const double dpi = LogicalDpi(this);
    // The stored geometry is the frame's, title bar and borders included.
    auto read = [this, dpi](const char* key, std::optional<int>& pixels) {
        const std::string text = Config().Value("Window", key);
        if (const auto twips = ReadSettingNumber(text)) {
            pixels = TwipsToPixels(*twips, dpi);
            storedPlacement_.push_back({key, text, *pixels});
        }
    };
    FrameTarget stored;
    storedPlacement_.clear();
    read("Width", stored.width);
    read("Height", stored.height);
    read("Left", stored.left);
    read("Top", stored.top);
    PlaceFrame(*this, [this, stored](const QMargins& margins) { return OnSomeScreen(stored, margins); });
    Form_Resize();
}

// The stored placement, moved onto the nearest screen when it lies on none
// at all (a screen that has gone).
FrameTarget frmMain::OnSomeScreen(const FrameTarget& stored, const QMargins& margins) const {
    const QRect now = geometry().marginsAdded(margins);
    const QRect frame(stored.left.value_or(now.left()), stored.top.value_or(now.top()),
                      stored.width.value_or(now.width()), stored.height.value_or(now.height()));
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty()) return stored;
    for (const QScreen* screen : screens) {
        if (screen->availableGeometry().intersects(frame)) return stored;
    }
    const QScreen* nearest = screens.first();
    qint64 best = -1;
    for (const QScreen* screen : screens) {
        const QPoint d = screen->availableGeometry().center() - frame.center();
        const qint64 distance = qint64(d.x()) * d.x() + qint64(d.y()) * d.y();
        if (best < 0 || distance < best) best = distance, nearest = screen;
    }
    const QRect area = nearest->availableGeometry();
    FrameTarget moved = stored;
    moved.left = std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() - frame.width()));
    moved.top = std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - frame.height()));
    return moved;
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::Form_Resize() {
    if (views_ == nullptr) return;
    const double dpi = LogicalDpi(this);
    const QRect outer = frameGeometry();
    const double w = PixelsToTwips(outer.width(), dpi);
    const double h = PixelsToTwips(outer.height(), dpi);
    cmdAbout_->move(TwipsToPixels(w - 1000, dpi), cmdAbout_->y());
    lblAbout_->move(TwipsToPixels(w - 1000, dpi), lblAbout_->y());
    // A size below zero (a tiny or minimised window) leaves the table area as it was.
    if (w - 500 >= 0) views_->resize(TwipsToPixels(w - 500, dpi), views_->height());
    if (h - 1600 >= 0) views_->resize(views_->width(), TwipsToPixels(h - 1600, dpi));
}

QString frmMain::TraceFileInForce() const {
    if (!chosenFile_.isEmpty()) return chosenFile_;
    if (!commandLineFile_.isEmpty()) return commandLineFile_;
    return ToQString(Config().Value("Application", "LastFile"));
}

void frmMain::cmdGo_Click() {
    if (loading_) return;  // no load inside a load
    loading_ = true;
    const QString file = TraceFileInForce();
    // A reload of the file shown comes back to the row that was chosen.
    std::optional<std::int32_t> chosenOrder;
    if (file == shownFile_) {
        const QModelIndex current = iGridTree_->currentIndex();
        if (current.isValid()) {
            chosenOrder = model_->Rows()[static_cast<std::size_t>(TraceTableModel::RowOf(current))].order;
        }
    }
    shownFile_.clear();
    {
        // Through the whole load, clicks and keys in the window are dropped
        // and a close waits for its end.
        const WindowInputHold hold(this);
        BusyCursor busy;
        show();
        services_.Pump().PumpNow();
        SetupGrid();
        services_.Pump().PumpNow();
        if (!file.isEmpty() && ReadAndFill(file)) {
            shownFile_ = file;
            if (chosenOrder) ChooseRowOfOrder(*chosenOrder);
        }
    }
    loading_ = false;
}

void frmMain::ChooseRowOfOrder(std::int32_t order) {
    const auto& rows = model_->Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].order != order) continue;
        const QModelIndex index = model_->IndexOfRow(static_cast<int>(i));
        if (!index.isValid()) return;
        iGridTree_->setCurrentIndex(index);
        iGridTree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
        return;
    }
}

int frmMain::ColumnWidthSetting(int column) {
    const auto width = ReadSettingNumber(Config().Value("Columns", std::to_string(column)));
    if (!width || *width < 0 || *width > 100000) return kMissingColumnWidth;
    return static_cast<int>(std::lround(*width));
}

void frmMain::SetupGrid() {
    model_->Clear();
    views_->Clear();
    timeFormat_ = NumberFormat(display_.Format);
    QHeaderView* header = iGridTree_->header();
    iGridTree_->setColumnWidth(kColCodeTrace, ColumnWidthSetting(1));
    if (display_.ShowTotal) {
        const auto stored = ReadSettingNumber(Config().Value("Columns", "2"));
        if (stored && *stored == 0.0) Config().Value("Columns", "2", "", "100");
        header->setSectionHidden(kColTotal, false);
        iGridTree_->setColumnWidth(kColTotal, ColumnWidthSetting(2));
    } else {
        iGridTree_->setColumnWidth(kColTotal, 0);
        header->setSectionHidden(kColTotal, true);
    }
    iGridTree_->setColumnWidth(kColTime, ColumnWidthSetting(3));
    delegate_->SetShowBars(display_.ShowBars);
    for (int column = kColDataIn; column <= kColDataOut; ++column) {
        iGridTree_->setColumnWidth(column, ColumnWidthSetting(column + 1));
    }
    for (int column : {kColOrder, kColDepth}) {
        header->setSectionHidden(column, false);
        iGridTree_->setColumnWidth(column, kHiddenColumnWidth);
        header->setSectionHidden(column, true);
    }
}

TraceTableLoad frmMain::ReadInBackground(const QString& file) {
    // Shared with the work, which may outlive a window closed meanwhile.
    const auto progress = std::make_shared<LoadProgress>();
    return RunInBackground(
        this,
        [path = ToStdString(file), paramChar = display_.ParamChar, format = timeFormat_,
         baseline = ToStdString(views_->BaselinePath()), progress] {
            TraceTableLoad load = LoadTraceTable(path, paramChar, format, progress.get());
            // The comparison's baseline is read again with every load.
            if (load.error.empty() && !baseline.empty()) {
                load.views.baseline = ReadFlatProfile(baseline, paramChar, format, load.views.baselineError,
                                                      &load.views.baselineCorrected);
            }
            return load;
        },
        [this](bool on) { views_->ShowProgress(on); },
        [this, progress] { views_->ShowProgressShare(progress->Share()); });
}

bool frmMain::ReadAndFill(const QString& file) {
    TraceTableLoad load = ReadInBackground(file);
    // The captions describe the file just read as soon as it had its header
    // lines, whatever fails after them.
    if (load.headerLinesRead) {
        lblRunDate_->setText(ToQString(load.runDateLine));
        lblResolution_->setText(ToQString(load.resolutionLine));
    }
    if (!load.error.empty()) {
        services_.Reporter().Report(load.error, MessageIcon::Critical);
        return false;
    }
    if (!load.hasRecords) return true;
    barScale_ = kDefaultBarScale;
    if (!load.stopMessage.empty() && load.rows.empty()) {
        services_.Reporter().Report(load.stopMessage, MessageIcon::Exclamation);
    }
    if (load.timesUnreadable) {
        services_.Reporter().Report(UnreadableTimeFormatMessage(display_.Format), MessageIcon::Exclamation);
    }
    model_->SetRows(std::move(load.rows), std::move(load.texts));
    FinishGrid();
    views_->ShowTrace(std::move(load.views), timeFormat_, display_.ParamChar);
    return true;
}

void frmMain::ScaleTimeBars() {
    barScale_ = 0.0f;
    for (const TableRow& row : model_->Rows()) {
        if (const auto value = timeFormat_.Read(row.time.view()); value && *value > barScale_) barScale_ = *value;
    }
    iGridTree_->viewport()->update();
}

void frmMain::FinishGrid() {
    ScaleTimeBars();
    if (autoSizeColumns_) {
        for (int column = 0; column < kTraceColumnCount; ++column) iGridTree_->resizeColumnToContents(column);
    }
}

void frmMain::cmdSelect_Click() {
    if (loading_) return;
    const auto chosen = services_.Files().ChooseFileToOpen(this, TraceChooserStart(Config()), QStringLiteral("(*.pad)"),
                                                           QStringLiteral(".pad"));
    if (!chosen) return;
    const QString path = QDir::toNativeSeparators(*chosen);
    Config().Value("Application", "LastFile", "", ToStdString(path));
    txtFile_->setText(path);
    chosenFile_ = path;
    cmdGo_Click();
}

void frmMain::cmdAutoSize_Click() {
    if (loading_) return;
    autoSizeColumns_ = true;
    cmdGo_Click();
    autoSizeColumns_ = false;
}

void frmMain::cmdConfig_Click() {
    if (loading_) return;
    {
        frmConfig dialog(services_, this);
        dialog.exec();
    }
    display_ = ReadDisplaySettings(Config());
    cmdGo_Click();
}

void frmMain::cmdCopyPrint_Click() {
    std::string text;
    {
        BusyCursor busy;
        text = ReportOfTable(*iGridTree_, *model_);
    }
    // The program's folder may be closed to writing; the settings folder is not.
    const std::filesystem::path settingsFolder = std::filesystem::path(Config().IniFilePath("")).parent_path();
    const ReportFileResult result = WriteReportFile(text, {services_.ProgramFolder(), settingsFolder});
    if (!result.written) {
        services_.Reporter().Report(result.message, MessageIcon::Critical);
        return;
    }
    services_.Opener().Open(ToQString(result.written->string()));
}

void frmMain::cmdKivraTag_Click() {
    BusyCursor busy;
    const QString path = TaggerPath(services_.ProgramFolder());
    if (!services_.Processes().StartDetached(path, {})) {
        services_.Reporter().Report("Kivra Tag could not be started from '" + ToStdString(path) + "'.",
                                    MessageIcon::Critical);
    }
}

void frmMain::cmdAbout_Click() {
    AboutDialog dialog(services_, AboutVariant::Analyzer, this);
    dialog.exec();
}

void frmMain::closeEvent(QCloseEvent* event) {
    // A close asked for during a load is held until the load ends (the
    // load's input hold), so none arrives here in the middle of one.
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() {
    const double dpi = LogicalDpi(this);
    const QRect outer = frameGeometry();
    // A value that still gives the pixels it gave at start-up is written
    // back as it was read, so that starting and closing changes nothing.
    auto write = [this, dpi](const char* key, int pixels) {
        for (const StoredPlacement& stored : storedPlacement_) {
            if (stored.key == key && stored.pixels == pixels) {
                Config().Value("Window", key, "", stored.text);
                return;
            }
        }
        Config().Value("Window", key, "", std::to_string(std::lround(PixelsToTwips(pixels, dpi))));
    };
    write("Width", outer.width());
    write("Height", outer.height());
    write("Left", outer.left());
    write("Top", outer.top());
    const QHeaderView* header = iGridTree_->header();
    for (int column = 0; column <= kColDataOut; ++column) {
        const int width = header->isSectionHidden(column) ? 0 : header->sectionSize(column);
        Config().Value("Columns", std::to_string(column + 1), "", std::to_string(width));
    }
    WriteViewSettings(Config(), views_->Settings());
}

}  // namespace kivra
