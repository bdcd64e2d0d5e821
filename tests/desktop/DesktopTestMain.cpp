// Runs the desktop tests on a real X server of their own (Xvfb), with a
// real window manager (openbox) or, given --no-window-manager, without one.
// The window manager adds the frames whose size a window learns only once
// it is shown; the headless platform of the other window tests has none.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DesktopSession.h"
#include "FramePlacement.h"

extern char** environ;

namespace {

std::vector<pid_t> started;

pid_t Spawn(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 0;
    started.push_back(pid);
    return pid;
}

void StopAll() {
    for (auto it = started.rbegin(); it != started.rend(); ++it) {
        ::kill(*it, SIGTERM);
        ::waitpid(*it, nullptr, 0);
    }
    started.clear();
}

[[noreturn]] void Fail(const std::string& why) {
    std::cerr << "desktop tests: " << why << "\n";
    StopAll();
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    bool windowManager = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-window-manager") == 0) windowManager = false;
    }
    // The server picks a free display itself and tells its number when it
    // is ready, so that several test runs can go at once.
    int ready[2];
    if (::pipe(ready) != 0) Fail("no pipe");
    if (Spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", "1920x1080x24", "-nolisten", "tcp"}) ==
        0) {
        Fail("cannot start Xvfb (Debian's package xvfb)");
    }
    ::close(ready[1]);
    std::string number;
    char c = 0;
    while (::read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(ready[0]);
    if (number.empty()) Fail("Xvfb did not start");
    const std::string name = ":" + number;
    ::setenv("DISPLAY", name.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    if (windowManager && Spawn({"openbox", "--sm-disable"}) == 0)
        Fail("cannot start openbox (Debian's package openbox)");

    int result = 1;
    {
        QApplication app(argc, argv);
        if (windowManager) {
            // Ready when it frames a window.
            QWidget probe;
            probe.resize(200, 100);
            probe.show();
            QElapsedTimer timer;
            timer.start();
            while (kivra::KnownFrameMargins(probe).isNull()) {
                if (timer.elapsed() > 20000) Fail("openbox did not frame a window");
                QApplication::processEvents(QEventLoop::AllEvents, 50);
            }
        }
        kivra::test::DesktopSession::windowManager = windowManager;
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    StopAll();
    return result;
}
