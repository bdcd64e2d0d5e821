// Placing a window by its outer frame, title bar and borders included.
// Where the frame is known only after the window is shown (on X11 the
// window manager adds it), the window is placed at once as if it had no
// frame and placed again, once, as soon as the frame is known.
#pragma once

#include <QMargins>
#include <QRect>
#include <functional>
#include <optional>

class QWidget;

namespace kivra {

// The outer geometry a window is to have, in pixels; what is left out
// stays as it is.
struct FrameTarget {
    std::optional<int> width, height, left, top;
};

// The frame's margins around the window's client area as far as they are
// known now; none before the window system has told them.
QMargins KnownFrameMargins(const QWidget& window);

// Places the window's frame where `target` says, given the frame margins.
// `target` is asked now and once more when the frame becomes known.
void PlaceFrame(QWidget& window, std::function<FrameTarget(const QMargins&)> target);

// Centres the window's outer frame on the screen's whole area.
void CentreFrameOnScreen(QWidget& window, const QRect& screen);

}  // namespace kivra
