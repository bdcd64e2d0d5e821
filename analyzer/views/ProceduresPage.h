// The Procedures view: the flat profile, a row per procedure, sortable and
// narrowed by the find bar. Enter or a double click shows the procedure's
// calls in the call tree; Ctrl+K its callers and callees.
#pragma once

#include <optional>

#include "TraceView.h"

class QTreeView;

namespace kivra {

class ProceduresModel;

class ProceduresPage : public TraceView {
    Q_OBJECT
public:
    explicit ProceduresPage(const ViewParts& parts);

    void Clear() override;
    void ShowTrace() override;
    void ShowMatches(const RowMatcher* matcher, const std::vector<std::size_t>& rows) override;
    FindSteps Steps() const override { return FindSteps::OwnRows; }
    void Step(bool forward) override;
    QString FindCount(bool searching) const override;

    QTreeView& View() const { return *view_; }
    ProceduresModel& Model() const { return *model_; }

private:
    void ShowProcedure(std::size_t procedure, bool evenNarrowed);
    std::optional<std::size_t> CurrentProcedure() const;

    ProceduresModel* model_;
    QTreeView* view_;
};

}  // namespace kivra
