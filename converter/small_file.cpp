#include "small_file.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace quenlark::converter {

namespace fs = std::filesystem;

Result<std::string> readSmallFile(const fs::path& path, std::size_t largest,
                                  const std::string& what) {
    using R = Result<std::string>;
    std::error_code ignored;
    const fs::file_status status = fs::status(path, ignored);
    if (!fs::exists(status))
        return R::failure(path.string() + " does not exist.");
    if (!fs::is_regular_file(status))
        return R::failure(path.string() + " is not a file.");

    // One byte more than is taken, so that a larger file shows.
    std::string bytes(largest + 1, '\0');
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
    if (got > largest)
        return R::failure(path.string() + " is too large to be " + what + " (more than " +
                          std::to_string(largest >> 20) + " MB).");
    bytes.resize(got);
    return bytes;
}

}  // namespace quenlark::converter
