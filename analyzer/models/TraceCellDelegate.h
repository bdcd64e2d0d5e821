// Paints the cells of a TraceTableModel: rows 20 pixels high, while time bars
// are on every own-time cell as a bar against the bar scale, and the rows
// that the find bar matches on a tint.
#pragma once

#include <QColor>
#include <QStyledItemDelegate>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kivra {

class TraceCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using Formatter = std::function<std::string(float)>;
    using NumberReader = std::function<std::optional<float>(std::string_view)>;

    // barScale is the window's: drawing a cell may change it from 0 to the
    // default scale.
    TraceCellDelegate(float& barScale, Formatter format, NumberReader read, QObject* parent = nullptr);

    void SetShowBars(bool on) { showBars_ = on; }
    bool ShowBars() const { return showBars_; }

    // Rows painted on a tint (the find bar's matches); none when `rows` is
    // empty. The view repaints them.
    void SetMarkedRows(const std::vector<std::size_t>& rows, std::size_t rowCount, const QColor& tint);
    bool IsMarked(int row) const {
        return row >= 0 && static_cast<std::size_t>(row) < marked_.size() &&
               marked_[static_cast<std::size_t>(row)] != 0;
    }

    // Rows outside a chosen stretch of the run, painted over with `shade`;
    // `inRange` empty: every row is in.
    void SetRowsInRange(std::vector<char> inRange, const QColor& shade) {
        inRange_ = std::move(inRange);
        outsideShade_ = shade;
    }
    bool IsOutsideRange(int row) const {
        return !inRange_.empty() && row >= 0 &&
               (static_cast<std::size_t>(row) >= inRange_.size() || inRange_[static_cast<std::size_t>(row)] == 0);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static constexpr int kRowHeight = 20;

private:
    void DrawTimeBar(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    // The tree's column: indented by the row's level, with its branch's button.
    void PaintTreeCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;

    float& barScale_;
    Formatter format_;
    NumberReader read_;
    bool showBars_ = false;
    std::vector<char> marked_;
    QColor markTint_;
    std::vector<char> inRange_;
    QColor outsideShade_;
};

}  // namespace kivra
