// Work done while the window waits for it: the window keeps painting and
// its timers keep firing, a long wait shows that it goes on, and what the
// user clicks or types in the window meanwhile is dropped rather than acted
// on afterwards, against what the work has replaced.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <future>
#include <utility>

namespace kivra {

// While it lives, input for `window` and the widgets in it is eaten, and a
// request to close the window is held until it ends.
class WindowInputHold : public QObject {
public:
    explicit WindowInputHold(QWidget* window);
    ~WindowInputHold() override;
    WindowInputHold(const WindowInputHold&) = delete;
    WindowInputHold& operator=(const WindowInputHold&) = delete;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    bool closeAsked_ = false;
};

// How long a wait runs before `showProgress(true)` is called.
inline constexpr qint64 kProgressAfterMs = 300;

// Runs `work` on a worker thread and returns its result. The work must not
// touch widgets; it should own copies of what it reads. While the progress
// shows, `tick` is called every few milliseconds, to show how far it came.
template <typename Work>
auto RunInBackground(QWidget* window, Work work, const std::function<void(bool)>& showProgress,
                     const std::function<void()>& tick = {}) {
    auto running = std::async(std::launch::async, std::move(work));
    if (running.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        const QPointer<QWidget> alive(window);
        const WindowInputHold hold(window);
        QElapsedTimer clock;
        clock.start();
        bool shown = false;
        do {
            if (!shown && alive && clock.elapsed() >= kProgressAfterMs) {
                shown = true;
                showProgress(true);
            }
            if (shown && alive && tick) tick();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        } while (running.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready);
        if (shown && alive) showProgress(false);
    }
    return running.get();
}

}  // namespace kivra
