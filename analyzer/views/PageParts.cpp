#include "PageParts.h"

#include <QAction>
#include <QPalette>
#include <QToolButton>
#include <QTreeView>

#include "DesignControls.h"

namespace kivra {

PageLayout LayOutWithBar(QWidget* page) {
    PageLayout made{new QVBoxLayout(page), new QHBoxLayout};
    made.layout->setContentsMargins(0, 2, 0, 0);
    made.layout->setSpacing(2);
    made.bar->setContentsMargins(4, 0, 4, 0);
    made.layout->addLayout(made.bar);
    return made;
}

void LayOutAround(QWidget* page, QWidget* view) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    page->setFocusProxy(view);
}

QTreeView* TableView(QWidget* parent, const char* name, const char* accessibleName, QAbstractItemModel* model,
                     const QFont& font) {
    auto* view = Named(new QTreeView(parent), name, QString::fromLatin1(accessibleName));
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setModel(model);
    view->setFont(font);
    return view;
}

QToolButton* TextButton(QWidget* parent, const char* name, const char* text, const char* tip) {
    auto* button = Named(new QToolButton(parent), name, QString::fromLatin1(text));
    button->setText(QString::fromLatin1(text));
    button->setToolTip(QString::fromUtf8(tip));
    return button;
}

QAction* AddViewAction(QWidget* view, const char* name, const char* text, const QKeySequence& keys) {
    auto* action = new QAction(QString::fromLatin1(text), view);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setShortcutVisibleInContextMenu(true);
    view->addAction(action);
    return action;
}

QColor MatchTint(const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    const QColor mark = palette.color(QPalette::Highlight);
    auto mix = [](int a, int b) { return (a * 3 + b) / 4; };
    return QColor(mix(base.red(), mark.red()), mix(base.green(), mark.green()), mix(base.blue(), mark.blue()));
}

}  // namespace kivra
