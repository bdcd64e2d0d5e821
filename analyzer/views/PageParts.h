// Pieces the view pages are built from.
#pragma once

#include <QColor>
#include <QHBoxLayout>
#include <QVBoxLayout>

class QAbstractItemModel;
class QAction;
class QFont;
class QPalette;
class QToolButton;
class QTreeView;
class QWidget;

namespace kivra {

// A page's layout: a bar of controls over what it shows.
struct PageLayout {
    QVBoxLayout* layout;
    QHBoxLayout* bar;
};
PageLayout LayOutWithBar(QWidget* page);
// A page that is one view and nothing else.
void LayOutAround(QWidget* page, QWidget* view);

// A flat, sortable table of one row per item in the call tree's font.
QTreeView* TableView(QWidget* parent, const char* name, const char* accessibleName, QAbstractItemModel* model,
                     const QFont& font);
QToolButton* TextButton(QWidget* parent, const char* name, const char* text, const char* tip);
// An action of a view's context menu, with its keys while the view has the focus.
QAction* AddViewAction(QWidget* view, const char* name, const char* text, const QKeySequence& keys);

// The tint behind matching rows: the highlight colour, faint on the base.
QColor MatchTint(const QPalette& palette);

}  // namespace kivra
