#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "result.h"

namespace quenlark::converter {

// Windows 95 and 98 keep their start-up logo inside IO.SYS as one stream of
// blocks in the coding that DoubleSpace used for compressed volumes. A block:
// a word 0x8000 | N, where N counts the block's bytes from the signature on;
// a word with the number of bytes it decodes to (at most 8192); the
// signature 'D' 'S' 0 0; the coded bytes. A word below 0x8000 ends the stream.
inline constexpr std::size_t kLargestBlockOutput = 8192;

// Far more than any logo (about 129 KB), so that a damaged or hostile stream
// cannot make us allocate without end.
inline constexpr std::size_t kLargestStreamOutput = std::size_t{1} << 20;

// Where the first block header in `bytes` starts, if there is one.
std::optional<std::size_t> findLogoStream(std::string_view bytes);

// The stream that starts at `start` decoded: its blocks' output, one after
// the other. Refuses, saying why, a stream that is cut short, is damaged or
// decodes to more than kLargestStreamOutput bytes.
Result<std::string> expandLogoStream(std::string_view bytes, std::size_t start);

}  // namespace quenlark::converter
