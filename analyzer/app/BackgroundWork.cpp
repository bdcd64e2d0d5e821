#include "BackgroundWork.h"

#include <QApplication>
#include <QEvent>
#include <QWindow>

namespace kivra {

WindowInputHold::WindowInputHold(QWidget* window) : window_(window) { qApp->installEventFilter(this); }

WindowInputHold::~WindowInputHold() {
    // Input already queued for the window goes while the hold still eats it.
    QCoreApplication::processEvents();
    qApp->removeEventFilter(this);
    // Queued: a hold may end before the event loop runs (the first load),
    // and a close then would leave the program running with no window.
    if (closeAsked_ && window_) QMetaObject::invokeMethod(window_.data(), &QWidget::close, Qt::QueuedConnection);
}

bool WindowInputHold::eventFilter(QObject* receiver, QEvent* event) {
    if (!window_) return false;
    switch (event->type()) {
    case QEvent::Close:
        if (receiver != window_) return false;
        closeAsked_ = true;
        event->ignore();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture: break;
    default: return false;
    }
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    const auto* handle = qobject_cast<const QWindow*>(receiver);
    const bool ours =
        (widget != nullptr && widget->window() == window_) || (handle != nullptr && handle == window_->windowHandle());
    // A key taken by the focus widget is no shortcut: the key then comes to
    // the widget, and is eaten with the other keys.
    if (ours && event->type() == QEvent::ShortcutOverride) event->accept();
    return ours;
}

}  // namespace kivra
