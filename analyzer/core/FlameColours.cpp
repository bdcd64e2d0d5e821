#include "FlameColours.h"

#include <algorithm>

namespace kivra {
namespace {

// Qt keeps a colour in 16 bits per channel and works in single precision;
// the steps below are its, so that the bytes come out the same.
int Round16(float channel) { return static_cast<int>(channel * 65535.0f + 0.5f); }

std::uint8_t To8Bits(int channel16) {
    const auto x = static_cast<unsigned>(channel16) + 128u;
    return static_cast<std::uint8_t>((x - (x >> 8)) >> 8);
}

}  // namespace

HsvColour ProcedureHsv(std::string_view name, bool dark) {
    // FNV-1a over the name's bytes.
    std::uint32_t hash = 2166136261u;
    for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    HsvColour colour;
    colour.Hue = static_cast<int>(hash % 50);  // red to yellow
    colour.Saturation = 120 + static_cast<int>((hash >> 8) % 90);
    colour.Value = (dark ? 150 : 215) + static_cast<int>((hash >> 16) % 40);
    return colour;
}

RgbColour HsvToRgb(const HsvColour& colour) {
    const int hue16 = std::clamp(colour.Hue, 0, 359) * 100;
    const int saturation16 = std::clamp(colour.Saturation, 0, 255) * 0x101;
    const int value16 = std::clamp(colour.Value, 0, 255) * 0x101;
    int red = value16;
    int green = value16;
    int blue = value16;
    if (saturation16 != 0) {
        const float h = static_cast<float>(hue16) / 6000.0f;
        const float s = static_cast<float>(saturation16) / 65535.0f;
        const float v = static_cast<float>(value16) / 65535.0f;
        const int sector = static_cast<int>(h);
        const float f = h - static_cast<float>(sector);
        const int p = Round16(v * (1.0f - s));
        const int q = Round16(v * (1.0f - s * f));
        const int t = Round16(v * (1.0f - s * (1.0f - f)));
        const int whole = Round16(v);
        switch (sector) {
        case 0: red = whole, green = t, blue = p; break;
        case 1: red = q, green = whole, blue = p; break;
        case 2: red = p, green = whole, blue = t; break;
        case 3: red = p, green = q, blue = whole; break;
        case 4: red = t, green = p, blue = whole; break;
        default: red = whole, green = p, blue = q; break;
        }
    }
    return {To8Bits(red), To8Bits(green), To8Bits(blue)};
}

RgbColour TextColourOn(const RgbColour& fill) {
    const double luminance = 0.299 * fill.Red + 0.587 * fill.Green + 0.114 * fill.Blue;
    return luminance > 140.0 ? RgbColour{0, 0, 0} : RgbColour{255, 255, 255};
}

}  // namespace kivra
