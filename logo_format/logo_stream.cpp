#include "logo_stream.h"

#include <cstdint>

namespace quenlark::converter {

namespace {

using namespace std::string_view_literals;

constexpr std::size_t kHeaderSize = 4;  // the length word and the decoded size
constexpr std::string_view kSignature = "DS\0\0"sv;
constexpr unsigned kEndOfStream = 0x8000;  // a length word below it ends the stream
// The farthest distance the coding can express; the encoder spends it on a
// mark that carries no data.
constexpr unsigned kMarkerDistance = 0x113F;
// One more would make a copy of at least 2^13 + 1 bytes: longer than any block.
constexpr unsigned kLongestLengthBits = 12;

unsigned wordAt(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8;
}

bool hasBlockHeaderAt(std::string_view bytes, std::size_t at) {
    if (bytes.size() - at < kHeaderSize + kSignature.size())
        return false;
    const unsigned length = wordAt(bytes, at);
    const unsigned decoded = wordAt(bytes, at + 2);
    return length >= kEndOfStream + kSignature.size() && decoded > 0 &&
           decoded <= kLargestBlockOutput && bytes.substr(at + kHeaderSize, 4) == kSignature;
}

std::string cutShort(const std::string& why) {
    return "The compressed logo in IO.SYS is cut short: " + why + ".";
}

std::string damaged(const std::string& why) {
    return "The compressed logo in IO.SYS is damaged: " + why + ".";
}

// Reads fields of a block's coded bytes, each byte from its lowest bit on,
// each field with its first bit as the value's lowest. Never past the block.
class BitReader {
  public:
    explicit BitReader(std::string_view bytes) : bytes_(bytes) {}

    bool read(unsigned count, unsigned& value) {
        value = 0;
        for (unsigned i = 0; i < count; ++i, ++position_) {
            if (position_ / 8 >= bytes_.size())
                return false;
            const unsigned byte = static_cast<std::uint8_t>(bytes_[position_ / 8]);
            value |= ((byte >> (position_ % 8)) & 1u) << i;
        }
        return true;
    }

  private:
    std::string_view bytes_;
    std::size_t position_ = 0;
};

// Appends the `decodedSize` bytes that `coded` stands for to `out`.
Result<Done> expandBlock(std::string_view coded, std::size_t decodedSize, std::string& out) {
    using R = Result<Done>;
    const R endsEarly = R::failure(cutShort("a block ends before its data does"));
    BitReader bits(coded);
    const std::size_t blockStart = out.size();
    const std::size_t blockEnd = blockStart + decodedSize;
    while (out.size() < blockEnd) {
        unsigned kind = 0;
        unsigned field = 0;
        if (!bits.read(2, kind))
            return endsEarly;
        if (kind == 1 || kind == 2) {
            if (!bits.read(7, field))
                return endsEarly;
            out.push_back(static_cast<char>(kind == 1 ? field + 128 : field));
            continue;
        }
        unsigned distance = 0;
        if (kind == 0) {
            if (!bits.read(6, distance))
                return endsEarly;
        } else {
            unsigned far = 0;
            if (!bits.read(1, far) || !bits.read(far ? 12 : 8, field))
                return endsEarly;
            distance = field + (far ? 320 : 64);
            if (distance == kMarkerDistance)
                continue;
        }
        unsigned lengthBits = 0;  // the 0 bits before the next 1
        for (unsigned bit = 0; !bit;) {
            if (!bits.read(1, bit))
                return endsEarly;
            if (!bit && ++lengthBits > kLongestLengthBits)
                return R::failure(damaged("a block holds more than its header says"));
        }
        if (!bits.read(lengthBits, field))
            return endsEarly;
        const std::size_t length = (std::size_t{1} << lengthBits) + 1 + field;
        if (distance == 0 || distance > out.size() - blockStart)
            return R::failure(damaged("a copy points outside its block"));
        if (length > blockEnd - out.size())
            return R::failure(damaged("a block holds more than its header says"));
        // Byte by byte: a copy may overlap what it writes, which repeats it.
        for (std::size_t i = 0; i < length; ++i)
            out.push_back(out[out.size() - distance]);
    }
    return Done{};
}

}  // namespace

std::optional<std::size_t> findLogoStream(std::string_view bytes) {
    for (std::size_t at = bytes.find(kSignature); at != std::string_view::npos;
         at = bytes.find(kSignature, at + 1)) {
        if (at >= kHeaderSize && hasBlockHeaderAt(bytes, at - kHeaderSize))
            return at - kHeaderSize;
    }
    return std::nullopt;
}

Result<std::string> expandLogoStream(std::string_view bytes, std::size_t start) {
    using R = Result<std::string>;
    std::string out;
    std::size_t at = start;
    while (true) {
        if (at > bytes.size() || bytes.size() - at < 2)
            return R::failure(cutShort("the file ends before the stream does"));
        const unsigned lengthWord = wordAt(bytes, at);
        if (lengthWord < kEndOfStream)
            return out;
        if (!hasBlockHeaderAt(bytes, at))
            return R::failure(bytes.size() - at < kHeaderSize + kSignature.size()
                                  ? cutShort("the file ends before the stream does")
                                  : damaged("a block's header is broken"));
        const std::size_t blockSize = lengthWord - kEndOfStream;
        const std::size_t decodedSize = wordAt(bytes, at + 2);
        if (blockSize > bytes.size() - at - kHeaderSize)
            return R::failure(cutShort("a block runs past the end of the file"));
        if (decodedSize > kLargestStreamOutput - out.size())
            return R::failure(damaged("it decodes to more than " +
                                      std::to_string(kLargestStreamOutput >> 20) + " MB"));
        const std::string_view coded =
            bytes.substr(at + kHeaderSize + kSignature.size(), blockSize - kSignature.size());
        if (auto done = expandBlock(coded, decodedSize, out); !done)
            return R::failure(done.error());
        at += kHeaderSize + blockSize;
    }
}

}  // namespace quenlark::converter
