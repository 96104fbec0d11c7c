#pragma once

#include <string>
#include <string_view>

#include "result.h"

namespace quenlark::converter {

// The start-up logo that a stock Windows 95 or 98 shows when the drive has no
// LOGO.SYS, taken from the bytes of its IO.SYS: a standard logo file of
// kLogoFileSize bytes, written as encodeLogo writes every logo, with the
// palette, pixels and first cycled entry exactly as stored. Refuses, saying
// why, a file without the logo, a logo that is cut short or damaged, one that
// is no 320 x 400, 256-colour, uncompressed bitmap, and the IO.SYS of
// Windows ME, which is compressed as a whole.
Result<std::string> builtinLogo(std::string_view ioSys);

// IO.SYS of Windows 95 and 98 is about 220 KB; a file far larger is not one,
// and is not read into memory whole.
inline constexpr std::size_t kLargestIoSys = std::size_t{4} << 20;

inline constexpr const char* kWindowsMeNotSupported = "IO.SYS of Windows ME is not supported";

}  // namespace quenlark::converter
