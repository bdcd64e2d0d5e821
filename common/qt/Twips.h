// Window geometry is designed and stored in twips, 1440 to the inch; the
// screen's logical resolution turns them into pixels (15 twips a pixel at
// 96 DPI).
#pragma once

#include <QRect>
#include <QWidget>
#include <cmath>

namespace kivra {

constexpr double kTwipsPerInch = 1440.0;

inline double LogicalDpi(const QWidget* widget) {
    const double dpi = widget != nullptr ? widget->logicalDpiX() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

inline int TwipsToPixels(double twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

inline double PixelsToTwips(int pixels, double dpi) { return pixels * kTwipsPerInch / dpi; }

// Places a control at its design position, given in twips.
inline void PlaceInTwips(QWidget* control, int left, int top, int width, int height) {
    const double dpi = LogicalDpi(control);
    control->setGeometry(TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(width, dpi),
                         TwipsToPixels(height, dpi));
}

}  // namespace kivra
