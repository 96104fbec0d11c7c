#include "builtin_logo_file.h"

#include "builtin_logo.h"
#include "small_file.h"

namespace quenlark::converter {

namespace fs = std::filesystem;

Result<Done> saveBuiltinLogo(const fs::path& ioSys, const fs::path& output, ExistingFile existing) {
    // Say so before the work, not after it; the write checks again.
    std::error_code ignored;
    if (existing == ExistingFile::Keep && fs::exists(output, ignored))
        return Result<Done>::failure(output.string() + " already exists; it was left as it was.");
    const auto bytes = readSmallFile(ioSys, kLargestIoSys, "an IO.SYS");
    if (!bytes)
        return Result<Done>::failure(bytes.error());
    const auto logo = builtinLogo(*bytes);
    if (!logo)
        return Result<Done>::failure(logo.error());
    return writeNewFile(output, *logo, existing);
}

}  // namespace quenlark::converter
