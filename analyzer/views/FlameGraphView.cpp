#include "FlameGraphView.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "FlameColours.h"
#include "QtText.h"

namespace kivra {
namespace {

constexpr double kSmallestSpan = 1000.0;  // nanoseconds: the deepest zoom shows a microsecond
constexpr int kDragDistance = 3;          // pixels a press may move and still be a click
constexpr int kTextMargin = 3;

const FlameLayout kNoLayout;

// One colour per procedure name, the same on every run and in kivra's SVG
// pictures: warm hues, lighter on a light window and deeper on a dark one.
QColor NameColour(const std::string& name, bool dark) {
    const HsvColour colour = ProcedureHsv(name, dark);
    return QColor::fromHsv(colour.Hue, colour.Saturation, colour.Value);
}

QColor TextColourOn(const QColor& fill) {
    const double luminance = 0.299 * fill.red() + 0.587 * fill.green() + 0.114 * fill.blue();
    return luminance > 140.0 ? QColor(Qt::black) : QColor(Qt::white);
}

QColor Faded(const QColor& colour, const QColor& base) {
    auto mix = [](int a, int b) { return (a + b * 3) / 4; };
    return QColor(mix(colour.red(), base.red()), mix(colour.green(), base.green()), mix(colour.blue(), base.blue()));
}

}  // namespace

FlameGraphView::FlameGraphView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("flameGraph"));
    setAccessibleName(QStringLiteral("Flame graph"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(100, 60);
}

void FlameGraphView::SetGraph(FlameGraphs graphs, std::vector<std::string> names, const NumberFormat& timeFormat,
                              DataOf dataOf) {
    graphs_ = std::move(graphs);
    names_ = std::move(names);
    timeFormat_ = timeFormat;
    dataOf_ = std::move(dataOf);
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    nameColours_.clear();
    for (const std::string& name : names_) nameColours_.push_back(NameColour(name, dark));
    // "Share of the run": of the time order's top level; a graph without
    // one (one procedure's callers or callees) says none.
    runTotal_ = 0.0;
    if (graphs_.timeOrder && !graphs_.timeOrder->Rows.empty()) {
        for (const int box : graphs_.timeOrder->Rows[0])
            runTotal_ += static_cast<double>(graphs_.timeOrder->Boxes[static_cast<std::size_t>(box)].Width);
    }
    selected_.reset();
    shownCall_.reset();
    matchingCalls_.clear();
    matchingNames_.clear();
    ShowWholeRun();
}

void FlameGraphView::SetLayout(FlameMode mode, FlameLayoutPtr layout) {
    FlameLayoutPtr& slot = mode == FlameMode::TimeOrder ? graphs_.timeOrder
                           : mode == FlameMode::Merged  ? graphs_.merged
                                                        : graphs_.inverted;
    slot = std::move(layout);
    if (mode != mode_) return;
    selected_.reset();
    ShowWholeRun();
    ShowCall(shownCall_);
}

bool FlameGraphView::HasLayout(FlameMode mode) const {
    switch (mode) {
    case FlameMode::TimeOrder: return graphs_.timeOrder != nullptr;
    case FlameMode::Merged: return graphs_.merged != nullptr;
    case FlameMode::Inverted: return graphs_.inverted != nullptr;
    }
    return false;
}

void FlameGraphView::Clear() { SetGraph({}, {}, timeFormat_, {}); }

const FlameLayout& FlameGraphView::Layout() const {
    static const FlameLayout kNone;
    const FlameLayoutPtr& layout = mode_ == FlameMode::TimeOrder ? graphs_.timeOrder
                                   : mode_ == FlameMode::Merged  ? graphs_.merged
                                                                 : graphs_.inverted;
    return layout ? *layout : kNone;
}

void FlameGraphView::SetMode(FlameMode mode) {
    if (mode == mode_) return;
    mode_ = mode;
    selected_.reset();
    ShowWholeRun();
    ShowCall(shownCall_);
}

void FlameGraphView::SetFlipped(bool flipped) {
    flipped_ = flipped;
    Refresh();
}

void FlameGraphView::ShowCall(std::optional<std::size_t> call) {
    shownCall_ = call;
    const FlameLayout& layout = Layout();
    // A call without a box (outside a time range, or of another procedure) outlines none.
    if (call && *call < layout.BoxOfCall.size() && layout.BoxOfCall[*call] >= 0) {
        selected_ = layout.BoxOfCall[*call];
        KeepInView(*selected_);
    } else {
        selected_.reset();
    }
    Refresh();
}

void FlameGraphView::SetMatches(std::vector<char> calls, std::vector<char> names) {
    matchingCalls_ = std::move(calls);
    matchingNames_ = std::move(names);
    Refresh();
}

bool FlameGraphView::Dimmed(int box) const {
    if (matchingCalls_.empty() && matchingNames_.empty()) return false;
    const FlameBox& b = Layout().Boxes[static_cast<std::size_t>(box)];
    if (mode_ != FlameMode::TimeOrder) {
        return static_cast<std::size_t>(b.Name) >= matchingNames_.size() ||
               matchingNames_[static_cast<std::size_t>(b.Name)] == 0;
    }
    return static_cast<std::size_t>(b.FirstCall) >= matchingCalls_.size() ||
           matchingCalls_[static_cast<std::size_t>(b.FirstCall)] == 0;
}

void FlameGraphView::ShowWholeRun() {
    viewBegin_ = 0.0;
    viewSpan_ = std::max(1.0, static_cast<double>(Layout().Extent));
    scrollY_ = 0;
    Refresh();
}

void FlameGraphView::ZoomToBox(int box) {
    const FlameBox& b = Layout().Boxes[static_cast<std::size_t>(box)];
    viewBegin_ = static_cast<double>(b.Begin);
    viewSpan_ = std::max(kSmallestSpan, static_cast<double>(b.Width));
    ClampView();
    Refresh();
}

void FlameGraphView::ZoomBy(double factor) {
    const double middle = viewBegin_ + viewSpan_ / 2.0;
    viewSpan_ *= factor;
    ClampView();
    viewBegin_ = middle - viewSpan_ / 2.0;
    ClampView();
    Refresh();
}

void FlameGraphView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    Refresh();
}

void FlameGraphView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    Refresh();
}

void FlameGraphView::ClampView() {
    const double extent = std::max(1.0, static_cast<double>(Layout().Extent));
    viewSpan_ = std::clamp(viewSpan_, std::min(kSmallestSpan, extent), extent);
    viewBegin_ = std::clamp(viewBegin_, 0.0, extent - viewSpan_);
    const int content = static_cast<int>(Layout().Rows.size()) * kRowHeight;
    scrollY_ = std::clamp(scrollY_, 0, std::max(0, content - height()));
}

double FlameGraphView::PixelsPerNanosecond() const { return width() / viewSpan_; }

int FlameGraphView::RowTop(int depth) const {
    return flipped_ ? height() - (depth + 1) * kRowHeight + scrollY_ : depth * kRowHeight - scrollY_;
}

QRectF FlameGraphView::BoxRect(int box) const {
    const FlameBox& b = Layout().Boxes[static_cast<std::size_t>(box)];
    const double scale = PixelsPerNanosecond();
    const double left = (static_cast<double>(b.Begin) - viewBegin_) * scale;
    return QRectF(left, RowTop(b.Depth), static_cast<double>(b.Width) * scale, kRowHeight - 1);
}

std::optional<int> FlameGraphView::BoxAtPoint(const QPoint& point) const {
    const int depth = flipped_ ? static_cast<int>(std::ceil(double(height() + scrollY_ - point.y()) / kRowHeight)) - 1
                               : (point.y() + scrollY_) / kRowHeight;
    if (point.y() < 0 || depth < 0) return std::nullopt;
    // Held just outside the run, so that a point far off it stays a number.
    const double at = std::clamp(std::floor(viewBegin_ + point.x() / PixelsPerNanosecond()), -1.0,
                                 static_cast<double>(Layout().Extent) + 1.0);
    return BoxAt(Layout(), depth, static_cast<std::int64_t>(at));
}

QColor FlameGraphView::ColourOf(int box) const {
    const FlameBox& b = Layout().Boxes[static_cast<std::size_t>(box)];
    const QColor colour = static_cast<std::size_t>(b.Name) < nameColours_.size()
                              ? nameColours_[static_cast<std::size_t>(b.Name)]
                              : palette().color(QPalette::Mid);
    return Dimmed(box) ? Faded(colour, palette().color(QPalette::Base)) : colour;
}

void FlameGraphView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::Base));
    const FlameLayout& layout = Layout();
    if (layout.Boxes.empty()) {
        painter.setPen(colours.color(QPalette::PlaceholderText));
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No trace loaded"));
        return;
    }
    const double scale = PixelsPerNanosecond();
    const double viewEnd = viewBegin_ + viewSpan_;
    const QFontMetrics metrics(font());
    const QColor smallBoxes = colours.color(QPalette::Mid);
    const bool searching = !matchingCalls_.empty() || !matchingNames_.empty();

    for (std::size_t depth = 0; depth < layout.Rows.size(); ++depth) {
        const int top = RowTop(static_cast<int>(depth));
        if (top + kRowHeight <= 0 || top >= height()) continue;
        const std::vector<int>& row = layout.Rows[depth];
        // Boxes at one depth do not overlap: the first in view is the first
        // that ends after the view's left edge.
        auto it = std::partition_point(row.begin(), row.end(), [&](int b) {
            const FlameBox& box = layout.Boxes[static_cast<std::size_t>(b)];
            return static_cast<double>(box.Begin + box.Width) <= viewBegin_;
        });
        // Boxes narrower than a pixel are painted together, one run of
        // neighbouring ones at a time.
        double runLeft = 0.0;
        double runRight = -1.0;
        bool runMatches = false;
        auto flush = [&] {
            if (runRight < 0.0) return;
            const QColor fill =
                searching && !runMatches ? Faded(smallBoxes, colours.color(QPalette::Base)) : smallBoxes;
            painter.fillRect(QRectF(runLeft, top, std::max(1.0, runRight - runLeft), kRowHeight - 1), fill);
            runRight = -1.0;
            runMatches = false;
        };
        for (; it != row.end(); ++it) {
            const FlameBox& box = layout.Boxes[static_cast<std::size_t>(*it)];
            if (static_cast<double>(box.Begin) > viewEnd) break;
            const double left = (static_cast<double>(box.Begin) - viewBegin_) * scale;
            const double right = (static_cast<double>(box.Begin + box.Width) - viewBegin_) * scale;
            if (right - left < 1.0) {
                if (runRight >= 0.0 && left <= runRight + 1.0) {
                    runRight = std::max(runRight, right);
                } else {
                    flush();
                    runLeft = left;
                    runRight = right;
                }
                runMatches = runMatches || (searching && !Dimmed(*it));
                continue;
            }
            flush();
            const QRectF area(std::max(left, -1.0), top, std::min(right, width() + 1.0) - std::max(left, -1.0),
                              kRowHeight - 1);
            const QColor fill = ColourOf(*it);
            painter.fillRect(area, fill);
            if (area.width() > 3 * kTextMargin + metrics.averageCharWidth()) {
                const QString name = static_cast<std::size_t>(box.Name) < names_.size()
                                         ? ToQString(names_[static_cast<std::size_t>(box.Name)])
                                         : QString();
                const QRectF textArea = area.adjusted(kTextMargin, 0, -kTextMargin, 0);
                const QString shown = metrics.elidedText(name, Qt::ElideRight, static_cast<int>(textArea.width()));
                if (!shown.isEmpty()) {
                    painter.setPen(TextColourOn(fill));
                    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, shown);
                }
            }
            // A thin line between neighbours.
            painter.fillRect(QRectF(area.right() - 1, top, 1, kRowHeight - 1), fill.darker(115));
        }
        flush();
    }
    if (selected_ && static_cast<std::size_t>(*selected_) < layout.Boxes.size()) {
        QRectF outline = BoxRect(*selected_);
        outline.setLeft(std::max(outline.left(), -2.0));
        outline.setRight(std::min(outline.right(), width() + 2.0));
        if (outline.width() < 3.0) outline.adjust(-1.5, 0, 1.5, 0);
        QPen pen(colours.color(QPalette::Text), 2);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(outline.adjusted(1, 1, -1, -1));
    }
    if (mode_ == FlameMode::TimeOrder && (choosingRange_ || markedRange_)) {
        // The stretch chosen, or being chosen: the rest of the run shaded.
        const auto [from, to] =
            choosingRange_ ? std::pair(std::min(rangeFrom_, rangeTo_), std::max(rangeFrom_, rangeTo_)) : *markedRange_;
        const double left = (from - viewBegin_) * scale;
        const double right = (to - viewBegin_) * scale;
        QColor shade = colours.color(QPalette::Base);
        shade.setAlpha(170);
        if (left > 0.0) painter.fillRect(QRectF(0.0, 0.0, left, height()), shade);
        if (right < width()) painter.fillRect(QRectF(right, 0.0, width() - right, height()), shade);
        painter.setPen(QPen(colours.color(QPalette::Highlight), 1.0));
        painter.drawLine(QPointF(left, 0.0), QPointF(left, height()));
        painter.drawLine(QPointF(right, 0.0), QPointF(right, height()));
    }
    if (hasFocus()) {
        // The keyboard's place: a frame in the palette's highlight colour.
        painter.setPen(QPen(colours.color(QPalette::Highlight), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

QString FlameGraphView::ToolTipOf(int box) const {
    const FlameLayout& layout = Layout();
    const FlameBox& b = layout.Boxes[static_cast<std::size_t>(box)];
    auto ms = [this](std::int64_t ns) {
        return ToQString(timeFormat_.Format(static_cast<float>(static_cast<double>(ns) / 1e6))) + QStringLiteral(" ms");
    };
    QStringList lines;
    lines << (static_cast<std::size_t>(b.Name) < names_.size() ? ToQString(names_[static_cast<std::size_t>(b.Name)])
                                                               : QString());
    lines << QStringLiteral("Total: ") + ms(b.Width);
    lines << QStringLiteral("Own: ") + ms(b.Own);
    if (runTotal_ > 0.0) {
        lines
            << QStringLiteral("Share of the run: %1%").arg(static_cast<double>(b.Width) / runTotal_ * 100.0, 0, 'f', 1);
    }
    if (layout.Mode != FlameMode::TimeOrder) {
        lines << QStringLiteral("Calls: %1").arg(b.Calls);
    } else if (dataOf_) {
        const std::vector<std::string> data = dataOf_(static_cast<std::size_t>(b.FirstCall));
        const char* labels[] = {"Data In: ", "Data Log: ", "Data Out: "};
        for (std::size_t i = 0; i < data.size() && i < 3; ++i) {
            if (!data[i].empty()) lines << QString::fromLatin1(labels[i]) + ToQString(data[i]);
        }
    }
    return lines.join(QLatin1Char('\n'));
}

bool FlameGraphView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const auto box = BoxAtPoint(help->pos())) {
            // The part of the box in view: a box zoomed far into is wider than
            // any rectangle of whole pixels.
            QToolTip::showText(help->globalPos(), ToolTipOf(*box), this,
                               BoxRect(*box).intersected(QRectF(rect())).toAlignedRect());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

QString FlameGraphView::DescriptionText() const {
    const FlameLayout& layout = Layout();
    QString text = mode_ == FlameMode::Merged     ? QStringLiteral("Merged by call path")
                   : mode_ == FlameMode::Inverted ? QStringLiteral("Inverted: each procedure with its callers")
                                                  : QStringLiteral("Time order");
    const double extent = static_cast<double>(layout.Extent);
    if (layout.Boxes.empty()) return text + QStringLiteral(", no calls");
    auto ms = [this](double ns) { return ToQString(timeFormat_.Format(static_cast<float>(ns / 1e6))); };
    if (viewSpan_ >= extent) {
        text += QStringLiteral(", the whole run");
    } else {
        text += QStringLiteral(", zoomed to %1 to %2 ms of %3 ms")
                    .arg(ms(viewBegin_), ms(viewBegin_ + viewSpan_), ms(extent));
    }
    if (selected_ && static_cast<std::size_t>(*selected_) < layout.Boxes.size()) {
        text += QStringLiteral(". Chosen: ") + ToolTipOf(*selected_).replace(QLatin1Char('\n'), QStringLiteral(", "));
    }
    return text;
}

void FlameGraphView::Refresh() {
    const QString description = DescriptionText();
    if (description != accessibleDescription()) setAccessibleDescription(description);
    update();
    emit ViewChanged();
}

void FlameGraphView::SetMarkedRange(std::optional<std::pair<double, double>> range) {
    markedRange_ = range;
    Refresh();
}

double FlameGraphView::TimeAt(double x) const { return viewBegin_ + x / PixelsPerNanosecond(); }

void FlameGraphView::Choose(int box) {
    selected_ = box;
    KeepInView(box);
    Refresh();
    emit BoxChosen(box);
}

void FlameGraphView::KeepInView(int box) {
    const FlameBox& b = Layout().Boxes[static_cast<std::size_t>(box)];
    const double begin = static_cast<double>(b.Begin);
    const double end = begin + static_cast<double>(b.Width);
    if (end < viewBegin_ || begin > viewBegin_ + viewSpan_) viewBegin_ = (begin + end) / 2.0 - viewSpan_ / 2.0;
    const int top = RowTop(b.Depth);
    if (top < 0) scrollY_ += flipped_ ? -top : top;
    if (top + kRowHeight > height())
        scrollY_ += flipped_ ? -(top + kRowHeight - height()) : top + kRowHeight - height();
    ClampView();
}

void FlameGraphView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    if (mode_ == FlameMode::TimeOrder && (event->modifiers() & Qt::ShiftModifier) && !Layout().Boxes.empty()) {
        choosingRange_ = true;
        rangeFrom_ = rangeTo_ = std::clamp(TimeAt(event->position().x()), 0.0, static_cast<double>(Layout().Extent));
        return;
    }
    pressedAt_ = event->position().toPoint();
    pressedBegin_ = viewBegin_;
    pressedScrollY_ = scrollY_;
    dragged_ = false;
}

void FlameGraphView::mouseMoveEvent(QMouseEvent* event) {
    if (choosingRange_) {
        rangeTo_ = std::clamp(TimeAt(event->position().x()), 0.0, static_cast<double>(Layout().Extent));
        Refresh();
        return;
    }
    if (!pressedAt_ || !(event->buttons() & Qt::LeftButton)) return;
    const QPoint moved = event->position().toPoint() - *pressedAt_;
    if (!dragged_ && moved.manhattanLength() < kDragDistance) return;
    dragged_ = true;
    setCursor(Qt::ClosedHandCursor);
    viewBegin_ = pressedBegin_ - moved.x() / PixelsPerNanosecond();
    scrollY_ = pressedScrollY_ + (flipped_ ? moved.y() : -moved.y());
    ClampView();
    Refresh();
}

void FlameGraphView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && choosingRange_) {
        choosingRange_ = false;
        rangeTo_ = std::clamp(TimeAt(event->position().x()), 0.0, static_cast<double>(Layout().Extent));
        Refresh();
        if (rangeFrom_ != rangeTo_) emit RangeChosen(std::min(rangeFrom_, rangeTo_), std::max(rangeFrom_, rangeTo_));
        return;
    }
    if (event->button() != Qt::LeftButton || !pressedAt_) return QWidget::mouseReleaseEvent(event);
    pressedAt_.reset();
    unsetCursor();
    if (dragged_) return;
    if (const auto box = BoxAtPoint(event->position().toPoint())) Choose(*box);
}

void FlameGraphView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
    if (const auto box = BoxAtPoint(event->position().toPoint())) ZoomToBox(*box);
}

void FlameGraphView::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0.0 || Layout().Boxes.empty()) return;
    const double x = event->position().x();
    const double at = viewBegin_ + x / PixelsPerNanosecond();  // stays under the pointer
    viewSpan_ *= std::pow(0.8, steps);
    ClampView();
    viewBegin_ = at - x / PixelsPerNanosecond();
    ClampView();
    Refresh();
    event->accept();
}

void FlameGraphView::keyPressEvent(QKeyEvent* event) {
    const FlameLayout& layout = Layout();
    if (event->key() == Qt::Key_Home || event->key() == Qt::Key_Escape) {
        ShowWholeRun();
        return;
    }
    if (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal) {
        ZoomBy(0.8);
        return;
    }
    if (event->key() == Qt::Key_Minus) {
        ZoomBy(1.25);
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && selected_) {
        ZoomToBox(*selected_);
        return;
    }
    const bool up = event->key() == Qt::Key_Up;
    const bool down = event->key() == Qt::Key_Down;
    const bool sideways = event->key() == Qt::Key_Left || event->key() == Qt::Key_Right;
    // Other keys (Ctrl+Tab, Ctrl+PgDown...) go on to the window.
    if (layout.Boxes.empty() || !(up || down || sideways)) return QWidget::keyPressEvent(event);
    std::optional<int> next;
    if (!selected_) {
        next = layout.Rows[0].front();
    } else if (up || down) {
        // Up on the screen: the caller when callers are on top.
        if (up != flipped_) {
            const int parent = layout.Boxes[static_cast<std::size_t>(*selected_)].Parent;
            if (parent >= 0) next = parent;
        } else {
            next = FirstCalleeOf(layout, *selected_);
        }
    } else {
        next = SiblingOf(layout, *selected_, event->key() == Qt::Key_Right);
    }
    if (next) Choose(*next);
}

}  // namespace kivra
