// Paints the cells of a TraceTableModel: rows 20 pixels high, and while time bars
// are on, every own-time cell as a bar against the bar scale.
#pragma once

#include <QStyledItemDelegate>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

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

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static constexpr int kRowHeight = 20;

private:
    void DrawTimeBar(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;

    float& barScale_;
    Formatter format_;
    NumberReader read_;
    bool showBars_ = false;
};

}  // namespace kivra
