#include "RangeStrip.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "FlameGraphView.h"

namespace kivra {

RangeStrip::RangeStrip(FlameGraphView* graph, QWidget* parent) : QWidget(parent), graph_(graph) {
    setObjectName(QStringLiteral("rangeStrip"));
    setAccessibleName(QStringLiteral("Time strip"));
    setToolTip(
        QStringLiteral("Drag to count only a stretch of the run (Shift+drag in the graph does too); Esc clears it"));
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    connect(graph_, &FlameGraphView::ViewChanged, this, qOverload<>(&QWidget::update));
}

QSize RangeStrip::sizeHint() const { return {200, 16}; }

void RangeStrip::SetRange(std::optional<std::pair<double, double>> range) {
    range_ = range;
    update();
}

double RangeStrip::Extent() const { return std::max(1.0, static_cast<double>(graph_->Layout().Extent)); }

double RangeStrip::TimeAt(double x) const { return std::clamp(x / std::max(1, width()) * Extent(), 0.0, Extent()); }

void RangeStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::AlternateBase));
    const double scale = width() / Extent();
    auto band = [&](double from, double to, QColor colour) {
        painter.fillRect(QRectF(from * scale, 0.0, std::max(1.0, (to - from) * scale), height()), colour);
    };
    QColor highlight = colours.color(QPalette::Highlight);
    if (pressedAt_) {
        highlight.setAlpha(120);
        band(std::min(*pressedAt_, pointerAt_), std::max(*pressedAt_, pointerAt_), highlight);
    } else if (range_) {
        highlight.setAlpha(160);
        band(range_->first, range_->second, highlight);
    }
    // The part of the run the graph shows.
    painter.setPen(QPen(colours.color(QPalette::Text), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(
        QRectF(graph_->ViewBegin() * scale, 0.5, std::max(2.0, graph_->ViewSpan() * scale) - 1.0, height() - 1.0));
    if (hasFocus()) {
        painter.setPen(QPen(colours.color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void RangeStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    if (graph_->Layout().Boxes.empty()) return;  // no run: nothing to choose from
    pressedAt_ = pointerAt_ = TimeAt(event->position().x());
    update();
}

void RangeStrip::mouseMoveEvent(QMouseEvent* event) {
    if (!pressedAt_) return;
    pointerAt_ = TimeAt(event->position().x());
    update();
}

void RangeStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressedAt_) return QWidget::mouseReleaseEvent(event);
    const double from = std::min(*pressedAt_, TimeAt(event->position().x()));
    const double to = std::max(*pressedAt_, TimeAt(event->position().x()));
    pressedAt_.reset();
    update();
    if (to > from) emit RangeChosen(from, to);
}

void RangeStrip::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit Cleared();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace kivra
