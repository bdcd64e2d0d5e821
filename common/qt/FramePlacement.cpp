#include "FramePlacement.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace kivra {
namespace {

void Apply(QWidget& window, const FrameTarget& target, const QMargins& margins) {
    const int extraWidth = margins.left() + margins.right();
    const int extraHeight = margins.top() + margins.bottom();
    if (target.width || target.height) {
        window.resize(target.width ? std::max(0, *target.width - extraWidth) : window.width(),
                      target.height ? std::max(0, *target.height - extraHeight) : window.height());
    }
    if (target.left || target.top) {
        // A window's position is its frame's.
        const QRect frame = window.frameGeometry();
        window.move(target.left.value_or(frame.left()), target.top.value_or(frame.top()));
    }
}

// Waits for the frame of a window shown without one known, then places the
// window once more and goes.
class FrameWatcher : public QObject {
public:
    FrameWatcher(QWidget& window, std::function<FrameTarget(const QMargins&)> target)
        : QObject(&window), window_(window), target_(std::move(target)) {
        window_.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && !done_) {
            switch (event->type()) {
            case QEvent::Show:
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Expose:
            case QEvent::UpdateRequest:
            case QEvent::WindowActivate: Check(); break;
            default: break;
            }
        }
        return false;
    }

private:
    void Check() {
        const QMargins margins = KnownFrameMargins(window_);
        if (margins.isNull()) return;
        done_ = true;
        window_.removeEventFilter(this);
        Apply(window_, target_(margins), margins);
        deleteLater();
    }

    QWidget& window_;
    std::function<FrameTarget(const QMargins&)> target_;
    bool done_ = false;
};

}  // namespace

QMargins KnownFrameMargins(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return handle != nullptr ? handle->frameMargins() : QMargins();
}

void PlaceFrame(QWidget& window, std::function<FrameTarget(const QMargins&)> target) {
    const QMargins margins = KnownFrameMargins(window);
    Apply(window, target(margins), margins);
    if (margins.isNull()) new FrameWatcher(window, std::move(target));
}

void CentreFrameOnScreen(QWidget& window, const QRect& screen) {
    PlaceFrame(window, [&window, screen](const QMargins& margins) {
        const int width = window.width() + margins.left() + margins.right();
        const int height = window.height() + margins.top() + margins.bottom();
        return FrameTarget{std::nullopt, std::nullopt, screen.left() + (screen.width() - width) / 2,
                           screen.top() + (screen.height() - height) / 2};
    });
}

}  // namespace kivra
