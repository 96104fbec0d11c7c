#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "result.h"

namespace quenlark::converter {

inline constexpr int kLogoWidth = 320;
inline constexpr int kLogoHeight = 400;
inline constexpr int kPaletteSize = 256;
inline constexpr std::size_t kFileHeaderSize = 14;
inline constexpr std::size_t kInfoHeaderSize = 40;
inline constexpr std::size_t kPixelOffset = kFileHeaderSize + kInfoHeaderSize + kPaletteSize * 4;
// The only size that the program's swap accepts for a logo.
inline constexpr std::size_t kLogoFileSize = kPixelOffset + kLogoWidth * kLogoHeight;
// Where the first cycled palette entry is kept: biClrImportant.
inline constexpr std::size_t kFirstCycledOffset = 0x32;

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A logo as Windows holds it: 320 x 400 palette indices, top row first.
// Entry 0 also colours the screen's border. When `firstCycled` is not 0,
// entries from it to 255 rotate while the start-up screen is shown.
struct LogoPicture {
    std::array<Rgb, kPaletteSize> palette{};
    std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(kLogoWidth * kLogoHeight);
    int firstCycled = 0;

    std::uint8_t at(int x, int y) const { return pixels[y * kLogoWidth + x]; }
};

// The bitmap file that Windows shows: uncompressed, 8 bits, a full palette,
// rows bottom-up, exactly kLogoFileSize bytes.
std::string encodeLogo(const LogoPicture& logo);

// Reads a logo file back. Refuses, saying why, anything that Windows would not
// show at boot: another format, depth, compression or size, or a damaged file.
Result<LogoPicture> decodeLogo(std::string_view bytes);

// The palette as it is after `frame` steps of rotation: at each step entry n
// takes the colour of entry n + 1 and the last takes the old colour of the
// first cycled entry. Unchanged when nothing cycles.
std::array<Rgb, kPaletteSize> rotatedPalette(const LogoPicture& logo, long long frame);

}  // namespace quenlark::converter
