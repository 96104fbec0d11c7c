#include "fake_io_sys.h"

#include <array>
#include <random>
#include <vector>

namespace quenlark::converter::testing {

void LogoBlockWriter::put(unsigned value, unsigned bits) {
    for (unsigned i = 0; i < bits; ++i, ++bitCount_) {
        if (bitCount_ % 8 == 0)
            bytes_.push_back('\0');
        bytes_.back() = static_cast<char>(bytes_.back() | ((value >> i) & 1u) << (bitCount_ % 8));
    }
}

void LogoBlockWriter::count(const char* kind) {
    if (counts_)
        ++(*counts_)[kind];
}

LogoBlockWriter& LogoBlockWriter::literal(std::uint8_t byte) {
    put(byte < 128 ? 2 : 1, 2);
    put(byte & 0x7f, 7);
    count(byte < 128 ? "literal below 128" : "literal from 128");
    return *this;
}

LogoBlockWriter& LogoBlockWriter::copy(unsigned distance, unsigned length) {
    if (distance < 64) {
        put(0, 2);
        put(distance, 6);
    } else {
        put(3, 2);
        put(distance >= 320, 1);
        put(distance >= 320 ? distance - 320 : distance - 64, distance >= 320 ? 12 : 8);
    }
    count(distance < 64 ? "near copy" : distance < 320 ? "middle copy" : "far copy");
    if (length > distance)
        count("run");
    unsigned lengthBits = 0;
    while ((2u << lengthBits) + 1 <= length)
        ++lengthBits;
    put(1u << lengthBits, lengthBits + 1);  // the zeros, then the 1
    put(length - (1u << lengthBits) - 1, lengthBits);
    return *this;
}

LogoBlockWriter& LogoBlockWriter::marker() {
    put(3, 2);
    put(1, 1);
    put(0x113F - 320, 12);
    count("marker");
    return *this;
}

std::string LogoBlockWriter::block(std::size_t decodedSize) const {
    const std::size_t size = 4 + bytes_.size();
    const char header[] = {static_cast<char>(size), static_cast<char>(0x80 | size >> 8),
                           static_cast<char>(decodedSize), static_cast<char>(decodedSize >> 8)};
    return std::string(header, 4) + std::string("DS\0\0", 4) + bytes_;
}

std::string compressLogoStream(std::string_view data, TokenCounts* counts) {
    constexpr std::size_t kBlock = 8192, kMarkerEvery = 512, kFarthest = 0x113E;
    std::string stream;
    for (std::size_t start = 0; start < data.size(); start += kBlock) {
        const std::string_view block = data.substr(start, kBlock);
        LogoBlockWriter writer(counts);
        std::vector<std::size_t> lastSeen(1 << 16, SIZE_MAX);  // of each byte pair
        auto pairAt = [&](std::size_t i) {
            return static_cast<std::uint8_t>(block[i]) << 8 |
                   static_cast<std::uint8_t>(block[i + 1]);
        };
        for (std::size_t at = 0; at < block.size();) {
            if (at / kMarkerEvery > 0 && at % kMarkerEvery == 0)
                writer.marker();
            std::size_t length = 1, distance = 0;
            for (std::size_t from : {at - 1, at + 1 < block.size() ? lastSeen[pairAt(at)] : at}) {
                std::size_t n = 0;
                while (from < at && at - from <= kFarthest && at + n < block.size() &&
                       block[from + n] == block[at + n])
                    ++n;
                if (n > length)
                    length = n, distance = at - from;
            }
            if (distance)
                writer.copy(static_cast<unsigned>(distance), static_cast<unsigned>(length));
            else
                writer.literal(static_cast<std::uint8_t>(block[at]));
            for (const std::size_t end = at + length; at < end; ++at)
                if (at + 1 < block.size())
                    lastSeen[pairAt(at)] = at;
        }
        stream += writer.block(block.size());
    }
    return stream + kEndOfLogoStream;
}

LogoPicture patternLogo() {
    std::mt19937 random(95);
    auto byte = [&] { return static_cast<std::uint8_t>(random()); };
    LogoPicture logo;
    for (auto& c : logo.palette)
        c = {byte(), byte(), byte()};
    std::array<std::uint8_t, kLogoWidth> row{};
    for (auto& p : row)
        p = byte();
    for (int i = 0; i < kLogoWidth * kLogoHeight; ++i) {
        const int y = i / kLogoWidth, x = i % kLogoWidth;
        logo.pixels[i] = y < 100   ? byte()
                         : y < 200 ? row[x]
                         : y < 300 ? static_cast<std::uint8_t>(100 + i % 150)
                         : y < 380 ? static_cast<std::uint8_t>(x % 37)
                                   : 7;
    }
    logo.firstCycled = 236;
    return logo;
}

std::string fakeIoSys(std::string_view stream, AfterStream after) {
    std::mt19937 random(98);
    auto filler = [&](std::size_t size) {
        std::string bytes(size, '\0');
        for (auto& b : bytes)
            b = static_cast<char>(random());
        return bytes;
    };
    // The loader that IO.SYS starts with, then, among the filler, a signature
    // without a top-bit length word and one whose block would decode to
    // nothing: neither is the stream.
    std::string file = "MZ" + filler(0x17fe);
    using namespace std::string_literals;
    file += "\x12\x34\x00\x20"s + "DS\0\0"s + "\x10\x80\x00\x00"s + "DS\0\0"s;
    file += filler(0x1b211 - file.size());  // where Windows 95 has it, give or take a byte
    file += stream;
    if (after == AfterStream::Filler)
        file += filler(0x3001);
    return file;
}

}  // namespace quenlark::converter::testing
