// The analyzer's main window: the trace table under a two-row strip of
// picture buttons, the load of a trace, start-up and shutdown.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "CallTreeView.h"
#include "DisplaySettings.h"
#include "FramePlacement.h"
#include "NumberFormat.h"
#include "WindowServices.h"

class QLabel;
class QLineEdit;
class QToolButton;
class QTreeView;

namespace kivra {

class TraceCellDelegate;
class TraceTableModel;
class TraceViews;
struct TraceTableLoad;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // arguments are the command line's arguments after the program name.
    explicit frmMain(const WindowSeams& seams = {}, const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~frmMain() override;

    // The load: reads the trace file in force and fills the table.
    void cmdGo_Click();
    void cmdSelect_Click();
    void cmdAutoSize_Click();
    void cmdCopyPrint_Click();
    void cmdConfig_Click();
    void cmdKivraTag_Click();
    void cmdAbout_Click();

    // The file that the next load reads.
    QString TraceFileInForce() const;
    bool Loading() const { return loading_; }

    const DisplaySettings& Display() const { return display_; }
    float BarScale() const { return barScale_; }
    TraceTableModel& Model() const { return *model_; }
    QTreeView& Grid() const { return *iGridTree_; }
    TraceViews& Views() const { return *views_; }
    const ConfigClass& Config() const { return services_.Config(); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void RestorePlacement();
    FrameTarget OnSomeScreen(const FrameTarget& stored, const QMargins& margins) const;
    void SetupGrid();
    int ColumnWidthSetting(int column);
    // Selects the first row of the record with that Order, and shows it.
    void ChooseRowOfOrder(std::int32_t order);
    void ScaleTimeBars();
    void FinishGrid();
    bool ReadAndFill(const QString& file);
    // Reads the trace off the window's thread, the window painting meanwhile.
    TraceTableLoad ReadInBackground(const QString& file);

    WindowServices services_;
    QString commandLineFile_;  // the argument, without its quotes
    QString chosenFile_;       // the file the user chose in this session
    DisplaySettings display_;
    NumberFormat timeFormat_{""};  // display_.Format, prepared at each load
    bool autoSizeColumns_ = false;
    QString shownFile_;  // the file whose trace the table shows, after a load that read it
    float barScale_ = 0.0f;
    bool loading_ = false;
    // The placement values read at start-up and the pixels they gave.
    struct StoredPlacement {
        std::string key;
        std::string text;
        int pixels = 0;
    };
    std::vector<StoredPlacement> storedPlacement_;

    QToolButton* cmdSelect_ = nullptr;
    QLabel* Label1_ = nullptr;
    QLabel* lblRunDate_ = nullptr;
    QLabel* lblResolution_ = nullptr;
    QLineEdit* txtFile_ = nullptr;
    QToolButton* cmdGo_ = nullptr;
    QLabel* Label4_ = nullptr;
    QToolButton* cmdAutoSize_ = nullptr;
    QLabel* Label2_ = nullptr;
    QToolButton* cmdCopyPrint_ = nullptr;
    QLabel* Label5_ = nullptr;
    QToolButton* cmdConfig_ = nullptr;
    QLabel* Label3_ = nullptr;
    QToolButton* cmdKivraTag_ = nullptr;
    QLabel* Label6_ = nullptr;
    QLabel* lblAbout_ = nullptr;
    QToolButton* cmdAbout_ = nullptr;
    CallTreeView* iGridTree_ = nullptr;
    TraceTableModel* model_ = nullptr;
    TraceCellDelegate* delegate_ = nullptr;
    TraceViews* views_ = nullptr;  // the table area: the views' tabs and the find bar
};

}  // namespace kivra
