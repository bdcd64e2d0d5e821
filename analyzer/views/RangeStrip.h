// A strip of the run's time above the flame graph: the whole run from side
// to side, the part the graph shows outlined and the stretch chosen
// highlighted. A drag chooses a stretch; Esc clears it.
#pragma once

#include <QWidget>
#include <optional>
#include <utility>

namespace kivra {

class FlameGraphView;

class RangeStrip : public QWidget {
    Q_OBJECT
public:
    explicit RangeStrip(FlameGraphView* graph, QWidget* parent = nullptr);

    // Nanoseconds from the run's left edge, as the graph's time order.
    void SetRange(std::optional<std::pair<double, double>> range);

    QSize sizeHint() const override;

signals:
    void RangeChosen(double begin, double end);
    void Cleared();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    double Extent() const;
    double TimeAt(double x) const;

    FlameGraphView* graph_;
    std::optional<std::pair<double, double>> range_;
    std::optional<double> pressedAt_;
    double pointerAt_ = 0.0;
};

}  // namespace kivra
