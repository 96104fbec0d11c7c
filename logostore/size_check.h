#pragma once

#include <cstdint>
#include <string>

#include "file_system.h"

namespace quenlark {

// Whether a file of `length` bytes passes the size check that Swap ! applies
// to a chosen file: the length of an uncompressed 320 x 400, 256-colour
// bitmap, or one other.
bool hasLogoLength(std::uint64_t length);

// Far more than any logo (129,078 bytes). A larger file in a logo slot is no
// logo: it is never read whole, copied, captured as an original or shown, so
// that a slot file of any size costs no more than a logo.
inline constexpr std::uint64_t kLargestSlotFile = 4 * 1024 * 1024;

// Why the file at `path` is too large for a logo, as a sentence that names
// it; empty when it is not (or is not there).
std::string tooLargeForALogo(FileSystem& files, const std::string& path);

}  // namespace quenlark
