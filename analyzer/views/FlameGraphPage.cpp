#include "FlameGraphPage.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QToolButton>

#include "BusyCursor.h"
#include "DesignControls.h"
#include "FlameGraphView.h"
#include "PageParts.h"
#include "QtText.h"
#include "RangeStrip.h"
#include "TraceTableModel.h"
#include "TreeSearch.h"
#include "WindowServices.h"

namespace kivra {

FlameGraphPage::FlameGraphPage(const ViewParts& parts) : TraceView(parts.context), services_(parts.services) {
    const PageLayout layout = LayOutWithBar(this);
    optTimeOrder_ =
        Named(new QRadioButton(QStringLiteral("Time order"), this), "optTimeOrder", QStringLiteral("Time order"));
    optTimeOrder_->setChecked(true);
    optMerged_ = Named(new QRadioButton(QStringLiteral("Merged"), this), "optMerged", QStringLiteral("Merged"));
    optInverted_ = Named(new QRadioButton(QStringLiteral("Inverted"), this), "optInverted", QStringLiteral("Inverted"));
    optInverted_->setToolTip(
        QStringLiteral("Each procedure at the top with its own time, the callers that spent it below"));
    chkFlip_ = Named(new QCheckBox(QStringLiteral("Callers at the bottom"), this), "chkFlip",
                     QStringLiteral("Callers at the bottom"));
    chkCollapseRecursion_ = Named(new QCheckBox(QStringLiteral("Collapse recursion"), this), "chkCollapseRecursion",
                                  QStringLiteral("Collapse recursion"));
    chkCollapseRecursion_->setToolTip(
        QStringLiteral("Merged and inverted: a procedure that calls itself directly shows as one level"));
    auto* hint = new QLabel(QStringLiteral("Wheel, + and -: zoom · drag: move · Enter or double-click: zoom to a "
                                           "box · Home: whole run · Shift+drag: a stretch of the run"),
                            this);
    // In the palette's own text colour: a disabled grey reads at 1.5:1.
    hint->setObjectName(QStringLiteral("lblFlameHint"));
    hint->setWordWrap(true);
    for (QWidget* control : std::initializer_list<QWidget*>{optTimeOrder_, optMerged_, optInverted_}) {
        layout.bar->addWidget(control);
    }
    layout.bar->addSpacing(12);
    layout.bar->addWidget(chkFlip_);
    layout.bar->addWidget(chkCollapseRecursion_);
    auto* cmdSaveImage =
        TextButton(this, "cmdSaveImage", "Save image...", "Save what the graph shows as an SVG or a PNG image");
    layout.bar->addWidget(cmdSaveImage);
    connect(cmdSaveImage, &QToolButton::clicked, this, &FlameGraphPage::SaveImage);
    layout.bar->addSpacing(12);
    layout.bar->addWidget(hint, 1);
    graph_ = new FlameGraphView(this);
    strip_ = new RangeStrip(graph_, this);
    layout.layout->addWidget(strip_);
    layout.layout->addWidget(graph_, 1);
    setFocusProxy(graph_);

    for (QRadioButton* mode : {optTimeOrder_, optMerged_, optInverted_}) {
        connect(mode, &QRadioButton::toggled, this, [this](bool on) {
            if (on) ModeChosen();
        });
    }
    connect(chkFlip_, &QCheckBox::toggled, graph_, &FlameGraphView::SetFlipped);
    connect(chkCollapseRecursion_, &QCheckBox::toggled, this, [this] {
        if (context_.Trace().loaded) LayOutMergedModes();
    });
    connect(graph_, &FlameGraphView::BoxChosen, this, [this](int box) {
        // In time order a box is a call: the other views follow it.
        if (graph_->Mode() != FlameMode::TimeOrder) return;
        context_.ChooseCall(static_cast<std::size_t>(graph_->Layout().Boxes[static_cast<std::size_t>(box)].FirstCall));
    });
    connect(&context_, &ViewContext::CallChosen, graph_, &FlameGraphView::ShowCall);
    connect(graph_, &FlameGraphView::RangeChosen, this, &FlameGraphPage::ChooseRange);
    connect(strip_, &RangeStrip::RangeChosen, this, &FlameGraphPage::ChooseRange);
    connect(strip_, &RangeStrip::Cleared, this, [this] { context_.SetRange(std::nullopt); });

    graph_->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* callers = AddViewAction(graph_, "actShowCallers", "Callers / Callees", QKeySequence(Qt::CTRL | Qt::Key_K));
    connect(AddViewAction(graph_, "actSaveImage", "Save image...", QKeySequence()), &QAction::triggered, this,
            &FlameGraphPage::SaveImage);
    connect(callers, &QAction::triggered, this, [this] {
        const auto box = graph_->SelectedBox();
        if (!box) return;
        const int name = graph_->Layout().Boxes[static_cast<std::size_t>(*box)].Name;
        if (name >= 0) context_.ChooseProcedure(static_cast<std::size_t>(name), QStringLiteral("tabCallers"));
    });
}

void FlameGraphPage::SaveImage() {
    QString initial;
    const QFileInfo trace(ToQString(context_.Trace().path));
    initial = trace.fileName().isEmpty()
                  ? QStringLiteral("flamegraph.svg")
                  : trace.dir().filePath(trace.completeBaseName() + QStringLiteral("-flamegraph.svg"));
    const auto chosen =
        services_.Files().ChooseFileToSave(this, initial, QStringLiteral("SVG image (*.svg);;PNG image (*.png)"),
                                           QStringLiteral("Save the flame graph as an image"));
    if (!chosen) return;
    QString path = *chosen;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("svg") && suffix != QLatin1String("png")) path += QStringLiteral(".svg");
    if (!WriteImage(path)) {
        services_.Reporter().Report("The image could not be written to '" + ToStdString(path) + "'.",
                                    MessageIcon::Exclamation);
    }
}

bool FlameGraphPage::WriteImage(const QString& path) const {
    // Written whole or not at all: a file there before stays as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (QFileInfo(path).suffix().toLower() == QLatin1String("png")) {
        if (!graph_->grab().toImage().save(&file, "PNG")) {
            file.cancelWriting();
            return false;
        }
    } else {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(graph_->size());
        svg.setViewBox(QRect(QPoint(0, 0), graph_->size()));
        svg.setTitle(QStringLiteral("Flame graph"));
        svg.setDescription(graph_->DescriptionText());
        QPainter painter(&svg);
        graph_->render(&painter);
        painter.end();  // the SVG's last lines are written here, before the file is kept
    }
    return file.commit();
}

bool FlameGraphPage::CollapsingRecursion() const { return chkCollapseRecursion_->isChecked(); }

void FlameGraphPage::SetCollapseRecursion(bool on) { chkCollapseRecursion_->setChecked(on); }

void FlameGraphPage::Clear() {
    graph_->Clear();
    graph_->SetMarkedRange(std::nullopt);
    strip_->SetRange(std::nullopt);
}

void FlameGraphPage::ChooseRange(double begin, double end) {
    const double origin = static_cast<double>(context_.Trace().timeOrderOrigin);
    context_.SetRange(TimeRange{(origin + begin) / 1e6, (origin + end) / 1e6});
}

void FlameGraphPage::ShowTrace() {
    const ShownTrace& trace = context_.Trace();
    FlameGraphs graphs;
    graphs.timeOrder = trace.timeOrder;
    graphs.merged = trace.merged;
    const TraceTableModel* model = trace.model;
    graph_->SetGraph(std::move(graphs), trace.names, trace.timeFormat, [model](std::size_t call) {
        if (model == nullptr || call >= model->Rows().size()) return std::vector<std::string>();
        const TableRow& row = model->Rows()[call];
        return std::vector<std::string>{std::string(row.dataIn), std::string(row.dataLog), std::string(row.dataOut)};
    });
    if (CollapsingRecursion() || optInverted_->isChecked() || !trace.merged) LayOutMergedModes();
    std::optional<std::pair<double, double>> marked;
    if (trace.range) {
        const double origin = static_cast<double>(trace.timeOrderOrigin);
        marked = std::pair(trace.range->Start * 1e6 - origin, trace.range->End * 1e6 - origin);
    }
    graph_->SetMarkedRange(marked);
    strip_->SetRange(marked);
    graph_->ShowCall(context_.Call());
}

void FlameGraphPage::ModeChosen() {
    const FlameMode mode = optInverted_->isChecked() ? FlameMode::Inverted
                           : optMerged_->isChecked() ? FlameMode::Merged
                                                     : FlameMode::TimeOrder;
    if (mode != FlameMode::TimeOrder && !graph_->HasLayout(mode) && context_.Trace().loaded) {
        LayOutMergedModes();
    }
    graph_->SetMode(mode);
    // The strip is the run's time: it goes with the time order.
    strip_->setVisible(mode == FlameMode::TimeOrder);
}

void FlameGraphPage::LayOutMergedModes() {
    const ShownTrace& trace = context_.Trace();
    if (!trace.profile || !trace.timeline) return;
    BusyCursor busy;
    const bool collapse = CollapsingRecursion();
    // Over a range the calls are the range's: told again in the whole run's.
    auto shared = [&](FlameLayout layout) {
        if (trace.range) layout = InWholeRunCalls(std::move(layout), trace.wholeCall, trace.searchRows.size());
        return std::make_shared<const FlameLayout>(std::move(layout));
    };
    // The merged boxes over a range are laid out when first shown.
    const bool merged = optMerged_->isChecked();
    if (collapse || trace.merged || merged) {
        graph_->SetLayout(FlameMode::Merged,
                          collapse || !trace.merged
                              ? (merged ? shared(LayoutMerged(*trace.profile, *trace.timeline, collapse)) : nullptr)
                              : trace.merged);
    }
    const bool inverted = optInverted_->isChecked();
    graph_->SetLayout(FlameMode::Inverted,
                      inverted ? shared(LayoutInverted(*trace.profile, *trace.timeline, collapse)) : nullptr);
}

void FlameGraphPage::ShowMatches(const RowMatcher* matcher, const std::vector<std::size_t>& rows) {
    if (matcher == nullptr) {
        graph_->SetMatches({}, {});
        return;
    }
    // Calls by the tree's matches, merged and inverted boxes by name.
    const ShownTrace& trace = context_.Trace();
    std::vector<char> calls(trace.searchRows.size(), 0);
    for (const std::size_t row : rows) calls[row] = 1;
    std::vector<char> names(trace.names.size(), 0);
    for (std::size_t p = 0; p < names.size(); ++p) names[p] = matcher->Matches(SearchRow{trace.names[p], {}, {}, {}});
    graph_->SetMatches(std::move(calls), std::move(names));
}

}  // namespace kivra
