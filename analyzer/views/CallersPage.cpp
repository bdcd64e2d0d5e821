#include "CallersPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTreeView>
#include <future>

#include "CallEdgesModel.h"
#include "DesignControls.h"
#include "FlameGraphView.h"
#include "PageParts.h"
#include "QtText.h"

namespace kivra {

CallersPage::CallersPage(const ViewParts& parts) : TraceView(parts.context) {
    const PageLayout layout = LayOutWithBar(this);
    auto* label = new QLabel(QStringLiteral("&Procedure:"), this);
    cboProcedure_ = Named(new QComboBox(this), "cboProcedure", QStringLiteral("Procedure"));
    cboProcedure_->setEditable(true);
    cboProcedure_->setInsertPolicy(QComboBox::NoInsert);
    cboProcedure_->setMinimumContentsLength(28);
    cboProcedure_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboProcedure_->completer()->setCompletionMode(QCompleter::PopupCompletion);
    cboProcedure_->completer()->setFilterMode(Qt::MatchContains);
    cboProcedure_->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    label->setBuddy(cboProcedure_);
    chkCollapseRecursion_ = Named(new QCheckBox(QStringLiteral("Collapse recursion"), this),
                                  "chkCollapseRecursionCallers", QStringLiteral("Collapse recursion"));
    chkCollapseRecursion_->setToolTip(
        QStringLiteral("A procedure that calls itself directly shows as one level, its time counted once"));
    layout.bar->addWidget(label);
    layout.bar->addWidget(cboProcedure_);
    layout.bar->addSpacing(12);
    layout.bar->addWidget(chkCollapseRecursion_);
    layout.bar->addStretch(1);

    // No accessible name of its own: a screen reader reads the line's text.
    lblSummary_ = new QLabel(this);
    lblSummary_->setObjectName(QStringLiteral("lblCallersSummary"));
    lblSummary_->setContentsMargins(4, 0, 4, 0);
    lblSummary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout.layout->addWidget(lblSummary_);

    const QFont font = parts.callTree->font();
    callers_ = new CallEdgesModel("Caller", this);
    callees_ = new CallEdgesModel("Callee", this);
    callersView_ = EdgeTable("tvCallers", "Callers", callers_, font);
    calleesView_ = EdgeTable("tvCallees", "Callees", callees_, font);
    auto* tables = new QSplitter(Qt::Horizontal, this);
    tables->addWidget(callersView_);
    tables->addWidget(calleesView_);

    auto graphWithCaption = [this](QLabel*& caption, FlameGraphView*& graph, const char* name, const char* text) {
        auto* box = new QWidget(this);
        auto* boxLayout = new QVBoxLayout(box);
        boxLayout->setContentsMargins(0, 0, 0, 0);
        boxLayout->setSpacing(1);
        caption = new QLabel(QString::fromLatin1(text), box);
        caption->setContentsMargins(4, 0, 4, 0);
        graph = new FlameGraphView(box);
        graph->setObjectName(QString::fromLatin1(name));
        graph->setAccessibleName(QString::fromLatin1(text));
        boxLayout->addWidget(caption);
        boxLayout->addWidget(graph, 1);
        return box;
    };
    auto* graphs = new QSplitter(Qt::Vertical, this);
    // speedscope's sandwich: the callers above the procedure, its callees below.
    graphs->addWidget(graphWithCaption(lblCallersGraph_, callersGraph_, "flameCallers", "Callers (inverted)"));
    graphs->addWidget(graphWithCaption(lblCalleesGraph_, calleesGraph_, "flameCallees", "Callees (merged)"));
    callersGraph_->SetMode(FlameMode::Inverted);
    callersGraph_->SetFlipped(true);  // the procedure at the bottom, its callers above
    calleesGraph_->SetMode(FlameMode::Merged);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(tables);
    split->addWidget(graphs);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    layout.layout->addWidget(split, 1);
    setFocusProxy(cboProcedure_);

    connect(cboProcedure_, &QComboBox::activated, this, [this](int item) {
        if (item >= 0) context_.ChooseProcedure(static_cast<std::size_t>(cboProcedure_->itemData(item).toULongLong()));
    });
    connect(cboProcedure_->lineEdit(), &QLineEdit::returnPressed, this, &CallersPage::ProcedureTyped);
    connect(chkCollapseRecursion_, &QCheckBox::toggled, this, [this] {
        if (shown_) Show(*shown_);
    });
    connect(&context_, &ViewContext::ProcedureChosen, this, &CallersPage::Show);
    ShowNothing(QStringLiteral("Choose a procedure: type its name, or Ctrl+K in the other views."));
}

QTreeView* CallersPage::EdgeTable(const char* name, const char* accessibleName, CallEdgesModel* model,
                                  const QFont& font) {
    QTreeView* view = TableView(this, name, accessibleName, model, font);
    view->header()->setSortIndicator(-1, Qt::DescendingOrder);  // largest total first
    view->setSortingEnabled(true);
    view->setColumnWidth(CallEdgesModel::Name, 220);
    view->setColumnWidth(CallEdgesModel::Calls, 70);
    // A double click or Enter goes on to the procedure on the other end.
    connect(view, &QTreeView::activated, this, [this](const QModelIndex& index) {
        const int name = index.data(CallEdgesModel::kNameRole).toInt();
        if (name >= 0) context_.ChooseProcedure(static_cast<std::size_t>(name));
    });
    return view;
}

void CallersPage::Clear() {
    index_.reset();
    recent_.clear();
    shown_.reset();
    cboProcedure_->clear();
    ShowNothing(QStringLiteral("Choose a procedure: type its name, or Ctrl+K in the other views."));
}

void CallersPage::ShowTrace() {
    // The numbers may have changed (Correct for overhead): the index is made anew.
    index_.reset();
    recent_.clear();
    const ShownTrace& trace = context_.Trace();
    const QString typed = cboProcedure_->currentText();
    cboProcedure_->clear();
    for (std::size_t p = 0; p < trace.names.size(); ++p) {
        cboProcedure_->addItem(ToQString(trace.names[p]), QVariant::fromValue<qulonglong>(p));
    }
    stale_ = false;
    if (shown_ && *shown_ < trace.names.size()) {
        // Worked out when the page is next shown, not for every range or switch.
        if (isVisible()) {
            Show(*shown_);
        } else {
            stale_ = true;
        }
    } else {
        shown_.reset();
        cboProcedure_->setEditText(typed);
        ShowNothing(QStringLiteral("Choose a procedure: type its name, or Ctrl+K in the other views."));
    }
}

void CallersPage::showEvent(QShowEvent* event) {
    TraceView::showEvent(event);
    if (stale_ && shown_) {
        stale_ = false;
        Show(*shown_);
    }
}

void CallersPage::ProcedureTyped() {
    const QString typed = cboProcedure_->currentText().trimmed();
    int item = cboProcedure_->findText(typed, Qt::MatchFixedString);  // letter case ignored, as Basic does
    if (item < 0) item = cboProcedure_->findText(typed, Qt::MatchContains);
    if (item < 0) {
        lblSummary_->setText(QStringLiteral("No procedure is named \"%1\".").arg(typed));
        return;
    }
    context_.ChooseProcedure(static_cast<std::size_t>(cboProcedure_->itemData(item).toULongLong()));
}

void CallersPage::ShowNothing(const QString& why) {
    lblSummary_->setText(why);
    callers_->Clear();
    callees_->Clear();
    calleesGraph_->Clear();
    callersGraph_->Clear();
    lblCallersGraph_->setText(QStringLiteral("Callers (inverted)"));
    lblCalleesGraph_->setText(QStringLiteral("Callees (merged)"));
}

const CallersPage::Sandwich& CallersPage::Work(std::size_t procedure, bool collapse) {
    for (auto it = recent_.begin(); it != recent_.end(); ++it) {
        if (it->procedure != procedure || it->collapsed != collapse) continue;
        if (it != recent_.begin()) recent_.splice(recent_.begin(), recent_, it);
        return recent_.front();
    }
    const ShownTrace& trace = context_.Trace();
    if (!index_) index_ = std::make_unique<CallerCalleeIndex>(*trace.profile);
    const int index = static_cast<int>(procedure);
    Sandwich work{procedure, collapse, index_->Query(index, collapse), nullptr, nullptr};
    if (trace.timeline) {
        // The two graphs on two cores: each only reads the profile and the timeline.
        const CallProfile& profile = *trace.profile;
        const Timeline& timeline = *trace.timeline;
        auto callers =
            std::async(std::launch::async, [&] { return LayoutCallersOf(profile, timeline, index, collapse); });
        work.callees = std::make_shared<const FlameLayout>(LayoutCalleesOf(profile, timeline, index, collapse));
        work.callers = std::make_shared<const FlameLayout>(callers.get());
    } else {
        work.callees = std::make_shared<const FlameLayout>();
        work.callers = std::make_shared<const FlameLayout>();
    }
    constexpr std::size_t kKept = 16;
    if (recent_.size() == kKept) recent_.pop_back();
    recent_.push_front(std::move(work));
    return recent_.front();
}

void CallersPage::Show(std::size_t procedure) {
    const ShownTrace& trace = context_.Trace();
    if (!trace.loaded || !trace.profile || procedure >= trace.names.size()) return;
    shown_ = procedure;
    stale_ = false;
    const Sandwich& work = Work(procedure, chkCollapseRecursion_->isChecked());
    const CallerCallee& numbers = work.numbers;
    const QString name = ToQString(trace.names[procedure]);
    if (cboProcedure_->currentIndex() != static_cast<int>(procedure) || cboProcedure_->currentText() != name) {
        cboProcedure_->setCurrentIndex(static_cast<int>(procedure));
    }
    const NumberFormat& format = trace.timeFormat;
    lblSummary_->setText(
        QStringLiteral("%1: %2, own %3 ms, total %4 ms")
            .arg(name, numbers.Calls == 1 ? QStringLiteral("1 call") : QStringLiteral("%1 calls").arg(numbers.Calls),
                 ToQString(format.Format(static_cast<float>(numbers.Own))),
                 ToQString(format.Format(static_cast<float>(numbers.Total)))));
    callers_->SetEdges(numbers.Callers, trace.names, format);
    callees_->SetEdges(numbers.Callees, trace.names, format);

    FlameGraphs callees;
    callees.merged = work.callees;
    calleesGraph_->SetGraph(std::move(callees), trace.names, format, {});
    FlameGraphs callers;
    callers.inverted = work.callers;
    callersGraph_->SetGraph(std::move(callers), trace.names, format, {});
    lblCallersGraph_->setText(QStringLiteral("Callers of %1 (inverted)").arg(name));
    lblCalleesGraph_->setText(QStringLiteral("Callees of %1 (merged)").arg(name));
}

}  // namespace kivra
