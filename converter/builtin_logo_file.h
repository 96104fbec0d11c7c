#pragma once

#include <cstddef>
#include <filesystem>

#include "builtin_logo.h"
#include "new_file.h"
#include "result.h"

namespace quenlark::converter {

// Writes the built-in start-up logo of the IO.SYS at `ioSys` to `output` as a
// standard logo file (see builtinLogo). On failure nothing is written and the
// sentence says why.
Result<Done> saveBuiltinLogo(const std::filesystem::path& ioSys,
                             const std::filesystem::path& output, ExistingFile existing);

}  // namespace quenlark::converter
