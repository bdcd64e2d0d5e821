// The Flame Graph view: the run in time order, merged by call path, or
// inverted (each procedure with the callers that spent its time), with
// recursion collapsed on request. A box chosen in time order is the call the
// other views follow; Ctrl+K shows the chosen box's procedure in Callers /
// Callees.
#pragma once

#include "TraceView.h"

class QCheckBox;
class QRadioButton;

namespace kivra {

class FlameGraphView;
class RangeStrip;

class FlameGraphPage : public TraceView {
    Q_OBJECT
public:
    explicit FlameGraphPage(const ViewParts& parts);

    void Clear() override;
    void ShowTrace() override;
    void ShowMatches(const RowMatcher* matcher, const std::vector<std::size_t>& rows) override;
    FindSteps Steps() const override { return FindSteps::TreeRows; }

    FlameGraphView& Graph() const { return *graph_; }
    RangeStrip& Strip() const { return *strip_; }
    // "Save image...": what the graph shows (mode, zoom, range) as SVG or
    // PNG, by the file's extension (SVG when it has neither).
    void SaveImage();
    bool WriteImage(const QString& path) const;
    bool CollapsingRecursion() const;
    void SetCollapseRecursion(bool on);

private:
    void ModeChosen();
    // The merged and inverted boxes as the recursion switch wants them; the
    // inverted ones are laid out when first shown.
    void LayOutMergedModes();
    // A stretch chosen in the graph or the strip, in nanoseconds from the
    // time order's left edge, as a range of the trace's clock.
    void ChooseRange(double begin, double end);

    WindowServices& services_;
    FlameGraphView* graph_ = nullptr;
    RangeStrip* strip_ = nullptr;
    QRadioButton* optTimeOrder_ = nullptr;
    QRadioButton* optMerged_ = nullptr;
    QRadioButton* optInverted_ = nullptr;
    QCheckBox* chkFlip_ = nullptr;
    QCheckBox* chkCollapseRecursion_ = nullptr;
};

}  // namespace kivra
