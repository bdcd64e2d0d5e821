// One view of the loaded trace: a page of the tab area. The tab area makes
// each view from the list of views, tells it when a trace is shown or gone,
// and routes the find bar to it; the views share the chosen call and
// procedure through the ViewContext.
#pragma once

#include <QString>
#include <QWidget>
#include <cstddef>
#include <vector>

#include "ViewContext.h"

class QTreeView;

namespace kivra {

class RowMatcher;
class TraceTableModel;
class WindowServices;

// What F3 and the find bar's count follow on a page.
enum class FindSteps {
    None,      // nothing: the count of matches only
    TreeRows,  // the rows of the call tree that match (the call tree, the flame graph)
    OwnRows,   // the page's own rows (its Step and FindCount)
};

class TraceView : public QWidget {
    Q_OBJECT
public:
    explicit TraceView(ViewContext& context, QWidget* parent = nullptr) : QWidget(parent), context_(context) {}

    // Before a load: nothing to show.
    virtual void Clear() = 0;
    // A trace is loaded, or its numbers changed (Correct for overhead): show
    // the context's trace.
    virtual void ShowTrace() = 0;
    // The find bar's search: `matcher` null when there is none; `rows` the
    // call tree's rows that match, in display order.
    virtual void ShowMatches(const RowMatcher* matcher, const std::vector<std::size_t>& rows) {
        (void)matcher;
        (void)rows;
    }
    virtual FindSteps Steps() const { return FindSteps::None; }
    // For OwnRows: the next or previous row, and the count the find bar shows.
    virtual void Step(bool forward) { (void)forward; }
    virtual QString FindCount(bool searching) const {
        (void)searching;
        return {};
    }

protected:
    ViewContext& context_;
};

// What the list of views hands to each view as it makes it.
struct ViewParts {
    ViewContext& context;
    WindowServices& services;
    QTreeView* callTree;  // the window's call tree and its model
    TraceTableModel* model;
};

}  // namespace kivra
