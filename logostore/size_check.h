#pragma once

#include <cstdint>

namespace quenlark {

// Whether a file of `length` bytes passes the size check that Swap ! applies
// to a chosen file: the length of an uncompressed 320 x 400, 256-colour
// bitmap, or one other.
bool hasLogoLength(std::uint64_t length);

}  // namespace quenlark
