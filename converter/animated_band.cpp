#include "animated_band.h"

#include <cmath>

namespace quenlark::converter {

namespace {

Rgb fromHue(double hue) {
    // Full saturation and value: six ramps of 255 steps, 1530 distinct colours
    // around the circle, so any 254 evenly spaced samples differ.
    const double h = std::fmod(hue, 1.0) * 6.0;
    const int sector = static_cast<int>(h);
    const auto rise = static_cast<std::uint8_t>(std::lround((h - sector) * 255.0));
    const auto fall = static_cast<std::uint8_t>(255 - rise);
    switch (sector) {
        case 0:
            return {255, rise, 0};
        case 1:
            return {fall, 255, 0};
        case 2:
            return {0, 255, rise};
        case 3:
            return {0, fall, 255};
        case 4:
            return {rise, 0, 255};
        default:
            return {255, 0, fall};
    }
}

}  // namespace

std::vector<Rgb> bandColours(int count) {
    std::vector<Rgb> colours;
    colours.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        colours.push_back(fromHue(double(i) / count));
    return colours;
}

void drawBand(LogoPicture& logo, int first) {
    const int count = kPaletteSize - first;
    const std::vector<Rgb> colours = bandColours(count);
    for (int i = 0; i < count; ++i)
        logo.palette[first + i] = colours[i];
    // A colour at entry n moves to entry n - 1 at each step, so the entries
    // fall from left to right for the bar to run rightwards.
    for (int x = 0; x < kLogoWidth; ++x) {
        const int phase = x * count / kLogoWidth;
        const auto index = static_cast<std::uint8_t>(first + (count - 1 - phase));
        for (int y = kLogoHeight - kBandRows; y < kLogoHeight; ++y)
            logo.pixels[y * kLogoWidth + x] = index;
    }
    logo.firstCycled = first;
}

}  // namespace quenlark::converter
