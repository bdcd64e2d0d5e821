// What the desktop tests run on, and waiting for the window system.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <functional>

namespace kivra::test {

struct DesktopSession {
    static inline bool windowManager = true;  // openbox frames the windows
};

// Lets the window system and the windows work until `done` holds, or the
// time is up. True when it held.
inline bool WaitFor(const std::function<bool()>& done, int milliseconds = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Lets everything pending settle for a while.
inline void Settle(int milliseconds = 300) {
    WaitFor([] { return false; }, milliseconds);
}

}  // namespace kivra::test
