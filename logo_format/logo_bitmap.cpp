#include "logo_bitmap.h"

#include <algorithm>

namespace quenlark::converter {

namespace {

void putU16(std::string& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<char>(value & 0xff);
    out[at + 1] = static_cast<char>(value >> 8);
}

void putU32(std::string& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

std::uint32_t getU32(std::string_view in, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(in[at + i]);
    return value;
}

std::uint16_t getU16(std::string_view in, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(in[at]) |
                                      (static_cast<std::uint8_t>(in[at + 1]) << 8));
}

}  // namespace

std::string encodeLogo(const LogoPicture& logo) {
    std::string out(kLogoFileSize, '\0');
    out[0] = 'B';
    out[1] = 'M';
    putU32(out, 2, static_cast<std::uint32_t>(kLogoFileSize));
    putU32(out, 10, static_cast<std::uint32_t>(kPixelOffset));

    putU32(out, 14, static_cast<std::uint32_t>(kInfoHeaderSize));
    putU32(out, 18, kLogoWidth);
    putU32(out, 22, kLogoHeight);  // positive: rows stored bottom-up
    putU16(out, 26, 1);            // planes
    putU16(out, 28, 8);            // bits per pixel
    putU32(out, 30, 0);            // BI_RGB
    putU32(out, 34, kLogoWidth * kLogoHeight);
    // 0x26 and 0x2a, the resolution, stay 0: nothing reads them.
    putU32(out, 46, kPaletteSize);
    putU32(out, kFirstCycledOffset, static_cast<std::uint32_t>(logo.firstCycled));

    std::size_t at = kFileHeaderSize + kInfoHeaderSize;
    for (const Rgb& c : logo.palette) {
        out[at++] = static_cast<char>(c.b);
        out[at++] = static_cast<char>(c.g);
        out[at++] = static_cast<char>(c.r);
        out[at++] = 0;
    }
    // A row of 320 bytes is already a multiple of four: no padding.
    for (int y = kLogoHeight - 1; y >= 0; --y) {
        const auto* row = logo.pixels.data() + static_cast<std::size_t>(y) * kLogoWidth;
        std::copy(row, row + kLogoWidth, out.begin() + static_cast<std::ptrdiff_t>(at));
        at += kLogoWidth;
    }
    return out;
}

std::optional<BitmapHeader> readBitmapHeader(std::string_view bytes) {
    if (bytes.size() < kFileHeaderSize + kInfoHeaderSize || bytes[0] != 'B' || bytes[1] != 'M')
        return std::nullopt;
    BitmapHeader header;
    header.pixelOffset = getU32(bytes, 10);
    header.infoSize = getU32(bytes, 14);
    header.width = static_cast<std::int32_t>(getU32(bytes, 18));
    header.height = static_cast<std::int32_t>(getU32(bytes, 22));
    header.bitsPerPixel = getU16(bytes, 28);
    header.compression = getU32(bytes, 30);
    header.coloursUsed = getU32(bytes, 46);
    header.firstCycled = getU32(bytes, kFirstCycledOffset);
    return header;
}

namespace {

LogoProblem problem(LogoFault fault, std::string reason) {
    return {fault, std::move(reason)};
}

// Why Windows would not show a file of `length` bytes with `header` as a logo.
std::optional<LogoProblem> problemIn(const std::optional<BitmapHeader>& header,
                                     std::size_t length) {
    using F = LogoFault;
    if (!header)
        return problem(F::NotABitmap, "It is not a Windows bitmap.");
    // Later header versions extend this one, so the fields read stay put.
    if (header->infoSize < kInfoHeaderSize || header->infoSize > length - kFileHeaderSize)
        return problem(F::NotABitmap, "Its bitmap header is damaged.");
    if (header->bitsPerPixel != 8)
        return problem(F::WrongColours,
                       "It has " + std::to_string(header->bitsPerPixel) +
                           " bits per pixel; Windows shows only 256-colour (8-bit) logos.");
    if (header->compression != 0)
        return problem(F::Compressed, "It is compressed; Windows shows only uncompressed logos.");
    const long long height = header->height;
    if (header->width != kLogoWidth || (height != kLogoHeight && height != -kLogoHeight))
        return problem(F::WrongSize, "It is " + std::to_string(header->width) + " x " +
                                         std::to_string(height < 0 ? -height : height) +
                                         " pixels; a logo is 320 x 400.");
    if (header->coloursUsed != 0 && header->coloursUsed != kPaletteSize)
        return problem(F::WrongColours, "Its palette has " + std::to_string(header->coloursUsed) +
                                            " entries; Windows needs all 256.");
    const std::uint64_t paletteEnd = kFileHeaderSize + header->infoSize + kPaletteSize * 4;
    if (header->pixelOffset < paletteEnd)
        return problem(F::NotABitmap, "Its bitmap header is damaged.");
    const std::uint64_t needed =
        std::uint64_t{header->pixelOffset} + static_cast<std::uint64_t>(kLogoWidth) * kLogoHeight;
    if (length < needed)
        return problem(F::Truncated, "The file is cut short; its header calls for " +
                                         std::to_string(needed) + " bytes and it has " +
                                         std::to_string(length) + ".");
    return std::nullopt;
}

}  // namespace

std::optional<LogoProblem> findLogoProblem(std::string_view bytes) {
    return problemIn(readBitmapHeader(bytes), bytes.size());
}

Result<LogoPicture> decodeLogo(std::string_view bytes) {
    const auto header = readBitmapHeader(bytes);
    if (auto why = problemIn(header, bytes.size()))
        return Result<LogoPicture>::failure(std::move(why->reason));

    LogoPicture logo;
    const std::size_t paletteAt = kFileHeaderSize + header->infoSize;
    for (int i = 0; i < kPaletteSize; ++i) {
        const std::size_t at = paletteAt + static_cast<std::size_t>(i) * 4;
        logo.palette[i] = {static_cast<std::uint8_t>(bytes[at + 2]),
                           static_cast<std::uint8_t>(bytes[at + 1]),
                           static_cast<std::uint8_t>(bytes[at])};
    }
    const bool bottomUp = header->height > 0;
    for (int row = 0; row < kLogoHeight; ++row) {
        const int y = bottomUp ? kLogoHeight - 1 - row : row;
        const char* from =
            bytes.data() + header->pixelOffset + static_cast<std::size_t>(row) * kLogoWidth;
        std::copy(from, from + kLogoWidth,
                  logo.pixels.begin() + static_cast<std::ptrdiff_t>(y) * kLogoWidth);
    }
    const std::uint32_t first = header->firstCycled;
    logo.firstCycled = first < kPaletteSize ? static_cast<int>(first) : 0;
    return logo;
}

std::array<Rgb, kPaletteSize> rotatedPalette(const LogoPicture& logo, long long frame) {
    std::array<Rgb, kPaletteSize> palette = logo.palette;
    const int first = logo.firstCycled;
    if (first <= 0 || first >= kPaletteSize)
        return palette;
    const int count = kPaletteSize - first;
    const int shift = static_cast<int>(((frame % count) + count) % count);
    for (int i = 0; i < count; ++i)
        palette[first + i] = logo.palette[first + (i + shift) % count];
    return palette;
}

}  // namespace quenlark::converter
