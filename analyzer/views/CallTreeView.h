// The call tree's view: a flat list of the rows that TraceTableModel shows,
// drawn as a tree. Each row of the first column is indented by its level and
// carries its branch's button; the model opens and closes the branches, so
// the view keeps no per-row state of its own.
#pragma once

#include <QTreeView>

namespace kivra {

class TraceTableModel;

class CallTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit CallTreeView(QWidget* parent = nullptr);

    void SetTraceModel(TraceTableModel* model);
    TraceTableModel* TraceModel() const { return model_; }

    // Within a first-column cell of a row at `level`: where its button lies,
    // and where its text begins.
    static QRect ButtonRect(const QRect& cell, int level, int indent);
    static int TextLeft(const QRect& cell, int level, int indent) { return cell.left() + (level + 1) * indent; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The table row of the current index, or -1.
    int CurrentTableRow() const;
    void MoveTo(int row);
    bool OnButton(const QPoint& at, int& row) const;

    TraceTableModel* model_ = nullptr;
};

}  // namespace kivra
