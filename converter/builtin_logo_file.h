#pragma once

#include <cstddef>
#include <filesystem>

#include "new_file.h"
#include "result.h"

namespace quenlark::converter {

// IO.SYS of Windows 95 and 98 is about 220 KB; a file far larger is not one,
// and is not read into memory whole.
inline constexpr std::size_t kLargestIoSys = std::size_t{4} << 20;

// Writes the built-in start-up logo of the IO.SYS at `ioSys` to `output` as a
// standard logo file (see builtinLogo). On failure nothing is written and the
// sentence says why.
Result<Done> saveBuiltinLogo(const std::filesystem::path& ioSys,
                             const std::filesystem::path& output, ExistingFile existing);

}  // namespace quenlark::converter
