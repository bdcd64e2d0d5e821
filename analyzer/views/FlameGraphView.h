// The flame graph of the loaded trace, painted: one box per call (time
// order), per call path (merged) or per call path read from the procedure
// that spent the time (inverted), x the time, y the depth, depth 0 on top
// unless flipped. Wheel zooms around the pointer, dragging pans, a double
// click zooms to a box, Home or Esc shows the whole run; the arrow keys move
// the selection to the caller, a callee or a sibling.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FlameLayout.h"
#include "NumberFormat.h"

namespace kivra {

using FlameLayoutPtr = std::shared_ptr<const FlameLayout>;

// The boxes of each mode; a mode without them shows nothing.
struct FlameGraphs {
    FlameLayoutPtr timeOrder;
    FlameLayoutPtr merged;
    FlameLayoutPtr inverted;
};

class FlameGraphView : public QWidget {
    Q_OBJECT
public:
    // A call's data fields (in, log, out), for the tooltip in time order.
    using DataOf = std::function<std::vector<std::string>(std::size_t call)>;

    explicit FlameGraphView(QWidget* parent = nullptr);

    void SetGraph(FlameGraphs graphs, std::vector<std::string> names, const NumberFormat& timeFormat, DataOf dataOf);
    // One mode's boxes anew (say, with recursion collapsed), the rest kept.
    void SetLayout(FlameMode mode, FlameLayoutPtr layout);
    bool HasLayout(FlameMode mode) const;
    void Clear();

    void SetMode(FlameMode mode);
    FlameMode Mode() const { return mode_; }
    void SetFlipped(bool flipped);
    bool Flipped() const { return flipped_; }
    const FlameLayout& Layout() const;

    // Outlines the box of a call (a row of the call tree); nothing outlines none.
    void ShowCall(std::optional<std::size_t> call);
    std::optional<int> SelectedBox() const { return selected_; }
    // The find bar's matches: per call (time order) and per procedure name
    // (merged). Empty: no search, nothing dimmed.
    void SetMatches(std::vector<char> calls, std::vector<char> names);
    bool Dimmed(int box) const;

    // Time order: Shift+drag chooses a stretch of the run; the stretch
    // chosen (nanoseconds from the left edge) is shown, the rest shaded.
    void SetMarkedRange(std::optional<std::pair<double, double>> range);
    std::optional<std::pair<double, double>> MarkedRange() const { return markedRange_; }
    // Nanoseconds from the left edge at a point of the widget.
    double TimeAt(double x) const;

    void ShowWholeRun();
    void ZoomToBox(int box);
    // Zooms in (factor below 1) or out around the middle of the view.
    void ZoomBy(double factor);
    // The part of the run in view, nanoseconds from the left edge.
    double ViewBegin() const { return viewBegin_; }
    double ViewSpan() const { return viewSpan_; }

    std::optional<int> BoxAtPoint(const QPoint& point) const;
    QRectF BoxRect(int box) const;
    QString ToolTipOf(int box) const;
    // What a screen reader says of the graph (its accessible description):
    // the mode, the part of the run in view and the chosen box's numbers.
    QString DescriptionText() const;
    QColor ColourOf(int box) const;

    static constexpr int kRowHeight = 18;

signals:
    // The user chose a box (click or arrow key).
    void BoxChosen(int box);
    // The user chose a stretch of the run (Shift+drag in time order).
    void RangeChosen(double begin, double end);
    // The part of the run in view, or the range shown, changed.
    void ViewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    double PixelsPerNanosecond() const;
    int RowTop(int depth) const;
    void Choose(int box);
    // Repaints and keeps the accessible description up to date.
    void Refresh();
    void KeepInView(int box);
    void ClampView();

    FlameGraphs graphs_;
    std::vector<std::string> names_;
    std::vector<QColor> nameColours_;
    NumberFormat timeFormat_{"0.000"};
    DataOf dataOf_;
    FlameMode mode_ = FlameMode::TimeOrder;
    bool flipped_ = false;
    double viewBegin_ = 0.0;
    double viewSpan_ = 1.0;
    int scrollY_ = 0;  // pixels the rows are moved up
    std::optional<int> selected_;
    std::optional<std::size_t> shownCall_;
    std::vector<char> matchingCalls_;
    std::vector<char> matchingNames_;
    double runTotal_ = 0.0;  // nanoseconds: the top-level boxes' widths
    // Dragging: where it began and the view then.
    std::optional<QPoint> pressedAt_;
    double pressedBegin_ = 0.0;
    int pressedScrollY_ = 0;
    bool dragged_ = false;
    bool choosingRange_ = false;  // a Shift+drag under way: from the press to the pointer
    double rangeFrom_ = 0.0;
    double rangeTo_ = 0.0;
    std::optional<std::pair<double, double>> markedRange_;
};

}  // namespace kivra
