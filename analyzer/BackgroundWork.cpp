#include "BackgroundWork.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace kivra {

WindowInputHold::WindowInputHold(QWidget* window) : window_(window) { qApp->installEventFilter(this); }

WindowInputHold::~WindowInputHold() { qApp->removeEventFilter(this); }

bool WindowInputHold::eventFilter(QObject* receiver, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        break;
    default:
        return false;
    }
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    const auto* handle = qobject_cast<const QWindow*>(receiver);
    const bool ours = (widget != nullptr && widget->window() == window_) ||
                      (handle != nullptr && handle == window_->windowHandle());
    // A key taken by the focus widget is no shortcut: the key then comes to
    // the widget, and is eaten with the other keys.
    if (ours && event->type() == QEvent::ShortcutOverride) event->accept();
    return ours;
}

}  // namespace kivra
