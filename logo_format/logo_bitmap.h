#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
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

// The fields of a bitmap file's two headers that decide whether Windows shows
// it as a logo, as the file has them.
struct BitmapHeader {
    std::uint32_t pixelOffset = 0;  // bfOffBits: where the rows start
    std::uint32_t infoSize = 0;     // biSize: the palette follows the info header
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative: rows stored top-down
    std::uint16_t bitsPerPixel = 0;
    std::uint32_t compression = 0;  // 0 is BI_RGB; 1 and 2 are run-length encodings
    std::uint32_t coloursUsed = 0;  // 0: as many as the depth allows
    // biClrImportant: the first palette entry that the start-up screen
    // rotates; outside 1-255 nothing rotates.
    std::uint32_t firstCycled = 0;
};

// The headers of `bytes`; nothing when it does not start with "BM" or is too
// short to hold them. The fields are as found, sane or not.
std::optional<BitmapHeader> readBitmapHeader(std::string_view bytes);

// What keeps Windows from showing a file as a logo.
enum class LogoFault {
    NotABitmap,    // no "BM", or headers cut short or damaged
    WrongColours,  // not 8 bits per pixel with a 256-colour palette
    Compressed,    // run-length encoded, or any compression but BI_RGB
    WrongSize,     // not 320 x 400
    Truncated,     // shorter than its pixel offset and rows say
};

struct LogoProblem {
    LogoFault fault;
    std::string reason;  // one sentence that says it ("It is compressed; ...")
};

// Why Windows would not show `bytes` as a logo; nothing when it would. The
// first fault found, in the order of LogoFault.
std::optional<LogoProblem> findLogoProblem(std::string_view bytes);

// The bitmap file that Windows shows: uncompressed, 8 bits, a full palette,
// rows bottom-up, exactly kLogoFileSize bytes.
std::string encodeLogo(const LogoPicture& logo);

// Reads a logo file back. Refuses, saying why (findLogoProblem), anything that
// Windows would not show at boot: another format, depth, compression or size,
// or a damaged file.
Result<LogoPicture> decodeLogo(std::string_view bytes);

// The palette as it is after `frame` steps of rotation: at each step entry n
// takes the colour of entry n + 1 and the last takes the old colour of the
// first cycled entry. Unchanged when nothing cycles.
std::array<Rgb, kPaletteSize> rotatedPalette(const LogoPicture& logo, long long frame);

}  // namespace quenlark::converter
