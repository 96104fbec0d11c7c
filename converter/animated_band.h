#pragma once

#include <vector>

#include "logo_bitmap.h"

namespace quenlark::converter {

// The moving bar at the bottom of an animated start-up logo: its rows are
// painted with the cycled palette entries, one full turn of colour across the
// width, so that rotating the palette makes it run from left to right.
inline constexpr int kBandRows = 10;
// The stock start-up logo cycles its last 20 entries.
inline constexpr int kDefaultFirstCycled = 236;
// At least two entries for the picture (entry 0 is the border) and two to
// rotate, or nothing would move.
inline constexpr int kSmallestFirstCycled = 2;
inline constexpr int kLargestFirstCycled = 254;

// `count` distinct colours around the hue circle, so the bar's colours flow
// into each other where the cycle wraps.
std::vector<Rgb> bandColours(int count);

// Gives entries `first` to 255 the band colours, paints the bar over the
// bottom kBandRows rows and marks the logo as cycling from `first`.
void drawBand(LogoPicture& logo, int first);

}  // namespace quenlark::converter
