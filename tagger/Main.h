// The tagger's one window: a code box on the right; on the left the tag
// prefix, file and clipboard transfer, the three operations with their
// options, the status with a Stop button, About and Exit.
#pragma once

#include <QMainWindow>
#include <functional>
#include <string_view>

#include "RunObserver.h"
#include "WindowServices.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QToolButton;

namespace kivra {

class ExactBoxText;

class Main : public QMainWindow {
    Q_OBJECT
public:
    explicit Main(const WindowSeams& seams = {}, QWidget* parent = nullptr);
    ~Main() override;

    void cmdOpen_Click();
    void cmdPasteFrom_Click();
    void cmdCopyTo_Click();
    void cmdTag_Click();
    void cmdUnTag_Click();
    void cmdComment_Click();
    void cmdStop_Click() { stopRequested_ = true; }
    void cmdAbout_Click();
    void cmdExit_Click() { close(); }

    // The code box's text, its lines separated by CR LF.
    std::string CodeText() const;
    bool Running() const { return running_; }
    const ConfigClass& Config() const { return services_.Config(); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class BoxFiller;
    using Operation = std::function<RunResult(std::string_view text, RunObserver& observer)>;

    void CreateControls();
    void Form_Load();
    void Form_Resize();
    // The frame of every run: prefix check, button states, the box emptied
    // and refilled as the run goes, the status, "Complete".
    void Run(std::string_view statusWord, const std::function<Operation()>& prepare);
    void SetRunning(bool running);

    WindowServices services_;
    bool stopRequested_ = false;
    bool running_ = false;
    bool closeAfterRun_ = false;

    QLineEdit* txtPrefix_ = nullptr;
    QToolButton* cmdOpen_ = nullptr;
    QToolButton* cmdPasteFrom_ = nullptr;
    QToolButton* cmdCopyTo_ = nullptr;
    QToolButton* cmdTag_ = nullptr;
    QCheckBox* chkSubs_ = nullptr;
    QCheckBox* chkFormEvents_ = nullptr;
    QCheckBox* chkFunctions_ = nullptr;
    QCheckBox* chkProperties_ = nullptr;
    QCheckBox* chkParameters_ = nullptr;
    QToolButton* cmdComment_ = nullptr;
    QRadioButton* optCommentOut_ = nullptr;
    QRadioButton* optCommentBackIn_ = nullptr;
    QToolButton* cmdUnTag_ = nullptr;
    QLineEdit* txtStatus_ = nullptr;
    QToolButton* cmdStop_ = nullptr;
    QToolButton* cmdAbout_ = nullptr;
    QToolButton* cmdExit_ = nullptr;
    QPlainTextEdit* txtCode_ = nullptr;
    ExactBoxText* code_ = nullptr;  // the box's text as it is, beside the box
};

}  // namespace kivra
