// The Callers / Callees view: one procedure (typed with completion, or
// arriving from another view) with its calls, own and total time; the
// procedures that call it and those it calls, each with the calls on that
// edge and their total; below, the merged flame graph of its callees and
// the inverted one of its callers. A double click on a caller or a callee
// makes it the procedure shown.
#pragma once

#include <list>
#include <memory>
#include <optional>

#include "CallerCallee.h"
#include "FlameGraphView.h"
#include "TraceView.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QTreeView;

namespace kivra {

class CallEdgesModel;

class CallersPage : public TraceView {
    Q_OBJECT
public:
    explicit CallersPage(const ViewParts& parts);

    void Clear() override;
    void ShowTrace() override;

    // The procedure shown; nothing before one is chosen.
    std::optional<std::size_t> Shown() const { return shown_; }
    QComboBox& ProcedureBox() const { return *cboProcedure_; }
    QTreeView& CallersView() const { return *callersView_; }
    QTreeView& CalleesView() const { return *calleesView_; }
    CallEdgesModel& Callers() const { return *callers_; }
    CallEdgesModel& Callees() const { return *callees_; }
    FlameGraphView& CalleesGraph() const { return *calleesGraph_; }
    FlameGraphView& CallersGraph() const { return *callersGraph_; }
    QLabel& Summary() const { return *lblSummary_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Show(std::size_t procedure);
    void ShowNothing(const QString& why);
    void ProcedureTyped();
    QTreeView* EdgeTable(const char* name, const char* accessibleName, CallEdgesModel* model, const QFont& font);

    QComboBox* cboProcedure_ = nullptr;
    QCheckBox* chkCollapseRecursion_ = nullptr;
    QLabel* lblSummary_ = nullptr;
    CallEdgesModel* callers_ = nullptr;
    CallEdgesModel* callees_ = nullptr;
    QTreeView* callersView_ = nullptr;
    QTreeView* calleesView_ = nullptr;
    FlameGraphView* calleesGraph_ = nullptr;
    FlameGraphView* callersGraph_ = nullptr;
    QLabel* lblCalleesGraph_ = nullptr;
    QLabel* lblCallersGraph_ = nullptr;

    // What a procedure shows, kept for the last few shown, so that Back and
    // Forward find it again at once.
    struct Sandwich {
        std::size_t procedure = 0;
        bool collapsed = false;
        CallerCallee numbers;
        FlameLayoutPtr callers;
        FlameLayoutPtr callees;
    };
    const Sandwich& Work(std::size_t procedure, bool collapse);

    std::unique_ptr<CallerCalleeIndex> index_;  // of the trace shown, made when first needed
    std::list<Sandwich> recent_;                // the most recent first
    std::optional<std::size_t> shown_;
    bool stale_ = false;  // new numbers came while the page was hidden
};

}  // namespace kivra
