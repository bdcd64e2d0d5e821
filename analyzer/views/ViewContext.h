// What the views of the loaded trace share: the trace's numbers as they are
// shown (as recorded, or with the timing overhead taken out), and the call
// and the procedure chosen last. A view says what was chosen; the others
// follow. The procedures chosen are kept, so that Back and Forward (Alt+Left,
// Alt+Right) go through them in any view.
#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CallProfile.h"
#include "FlameGraphView.h"
#include "FlatProfile.h"
#include "NumberFormat.h"
#include "TimeRange.h"
#include "TraceExport.h"
#include "TreeSearch.h"

namespace kivra {

class TraceTableModel;

// The loaded trace as the views show it.
struct ShownTrace {
    bool loaded = false;
    bool corrected = false;  // the timing overhead is taken out
    std::string path;        // the trace file's
    NumberFormat timeFormat{"0.000"};
    std::string paramChar;
    std::vector<std::string> names;  // procedure i of `procedures` and of `profile`
    FlatProfile procedures;
    std::shared_ptr<const CallProfile> profile;  // call i is row i of the call tree
    std::shared_ptr<const Timeline> timeline;    // the calls' spans as the graphs lay them out
    FlameLayoutPtr timeOrder;
    FlameLayoutPtr merged;
    std::vector<int> rowProcedure;           // per row of the call tree: its procedure, -1 for none
    std::vector<float> rowTotals;            // per row: its total, unrounded
    std::vector<int> parents;                // per row: its caller's row, -1 at the top level
    std::vector<SearchRow> searchRows;       // per row: what the find bar looks at
    const TraceTableModel* model = nullptr;  // the call tree's rows

    // A stretch of the run chosen: `procedures`, `profile`, `timeline` and
    // `merged` count only the time in it (the time order shows the whole
    // run); `wholeCall` tells the whole run's call of each call of
    // `profile`, `rowInRange` which rows of the call tree count.
    std::optional<TimeRange> range;
    std::vector<int> wholeCall;
    std::vector<char> rowInRange;
    FlatProfile wholeProcedures;     // the whole run's, as Compare compares
    FlatProfile recordedProcedures;  // the same as recorded, when the overhead is taken out of the others
    int rangeCalls = 0;
    // Where the time order's left edge lies on the trace's clock (nanoseconds).
    std::int64_t timeOrderOrigin = 0;
};

class ViewContext : public QObject {
    Q_OBJECT
public:
    explicit ViewContext(QObject* parent = nullptr) : QObject(parent) {}

    const ShownTrace& Trace() const { return trace_; }
    ShownTrace& MutableTrace() { return trace_; }

    // A call (a row of the call tree) was chosen; every view follows.
    void ChooseCall(std::optional<std::size_t> row);
    std::optional<std::size_t> Call() const { return call_; }

    // A procedure was chosen; every view follows, and it joins the history
    // (unless it is the one chosen already). `view`, when given, is the
    // object name of the view to show it in.
    void ChooseProcedure(std::size_t procedure, const QString& view = {});
    std::optional<std::size_t> Procedure() const { return procedure_; }

    // Back and Forward through the procedures chosen; false at either end.
    bool Back();
    bool Forward();
    bool CanGoBack() const { return place_ > 0; }
    bool CanGoForward() const { return place_ + 1 < history_.size(); }

    // Shows the procedure's calls in the call tree, F3 stepping through them.
    void ShowCallsOf(std::size_t procedure) { emit CallsRequested(procedure); }
    // Closes the find bar, so that every row shows again.
    void CloseFind() { emit FindCloseRequested(); }
    // A stretch of the run to count over; nothing: the whole run.
    void SetRange(std::optional<TimeRange> range) { emit RangeRequested(range); }

    // The indication that a trace is being read (a view reading a baseline).
    void ShowProgress(bool on) { emit ProgressShown(on); }

    // A new trace: nothing chosen, no history.
    void Reset();

signals:
    void CallChosen(std::optional<std::size_t> row);
    void ProcedureChosen(std::size_t procedure);
    // A view asks to be shown (by its object name).
    void ViewRequested(const QString& view);
    void CallsRequested(std::size_t procedure);
    void FindCloseRequested();
    void ProgressShown(bool on);
    void RangeRequested(std::optional<TimeRange> range);

private:
    ShownTrace trace_;
    std::optional<std::size_t> call_;
    std::optional<std::size_t> procedure_;
    std::vector<std::size_t> history_;
    std::size_t place_ = 0;  // the history's current entry, when it has any
};

}  // namespace kivra
