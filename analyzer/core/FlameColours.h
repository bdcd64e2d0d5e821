// The flame graph's colour for each procedure: a warm hue worked out from the
// name alone, so that a procedure has the same colour on every run, in the
// window and in an exported picture.
#pragma once

#include <cstdint>
#include <string_view>

namespace kivra {

// Hue 0 to 359 degrees, saturation and value 0 to 255.
struct HsvColour {
    int Hue = 0;
    int Saturation = 0;
    int Value = 0;
    friend bool operator==(const HsvColour&, const HsvColour&) = default;
};

struct RgbColour {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    friend bool operator==(const RgbColour&, const RgbColour&) = default;
};

// The procedure's colour: red to yellow, lighter for a light background and
// deeper for a dark one.
HsvColour ProcedureHsv(std::string_view name, bool dark);

// The colour in red, green and blue, the same bytes that Qt's
// QColor::fromHsv(hue, saturation, value) gives for these numbers. A hue
// outside 0 to 359 or a saturation or value outside 0 to 255 is held at the
// nearest end.
RgbColour HsvToRgb(const HsvColour& colour);

inline RgbColour ProcedureColour(std::string_view name, bool dark) { return HsvToRgb(ProcedureHsv(name, dark)); }

// Black or white, whichever reads better on `fill`.
RgbColour TextColourOn(const RgbColour& fill);

}  // namespace kivra
