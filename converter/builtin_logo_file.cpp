#include "builtin_logo_file.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <string>

#include "builtin_logo.h"

namespace quenlark::converter {

namespace fs = std::filesystem;

namespace {

Result<std::string> readIoSys(const fs::path& path) {
    using R = Result<std::string>;
    std::error_code ignored;
    const fs::file_status status = fs::status(path, ignored);
    if (!fs::exists(status))
        return R::failure(path.string() + " does not exist.");
    if (!fs::is_regular_file(status))
        return R::failure(path.string() + " is not a file.");

    // One byte more than is taken, so that a larger file shows.
    std::string bytes(kLargestIoSys + 1, '\0');
    std::size_t got = 0;
    int error = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        error = errno;
    while (fd >= 0 && got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = errno;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (fd >= 0)
        ::close(fd);
    if (error != 0)
        return R::failure(path.string() + " cannot be read: " + std::strerror(error) + ".");
    if (got > kLargestIoSys)
        return R::failure(path.string() + " is too large to be an IO.SYS (more than " +
                          std::to_string(kLargestIoSys >> 20) + " MB).");
    bytes.resize(got);
    return bytes;
}

}  // namespace

Result<Done> saveBuiltinLogo(const fs::path& ioSys, const fs::path& output, ExistingFile existing) {
    // Say so before the work, not after it; the write checks again.
    std::error_code ignored;
    if (existing == ExistingFile::Keep && fs::exists(output, ignored))
        return Result<Done>::failure(output.string() + " already exists; it was left as it was.");
    const auto bytes = readIoSys(ioSys);
    if (!bytes)
        return Result<Done>::failure(bytes.error());
    const auto logo = builtinLogo(*bytes);
    if (!logo)
        return Result<Done>::failure(logo.error());
    return writeNewFile(output, *logo, existing);
}

}  // namespace quenlark::converter
