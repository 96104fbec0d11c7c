#include "new_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace quenlark::converter {

namespace fs = std::filesystem;

namespace {

std::string reason(int error) {
    return std::strerror(error);
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Moves `from` to `to` unless `to` exists. renameat2 does it in one step; on
// file systems that lack it, a hard link fails just as atomically on an
// existing name.
bool renameNoReplace(const char* from, const char* to) {
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    if (::link(from, to) != 0)
        return false;
    ::unlink(from);
    return true;
}

// Makes the rename itself survive a power cut; a failure here loses nothing
// that the rename has not already done, so it is not reported.
void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

Result<Done> writeNewFile(const fs::path& path, std::string_view content, ExistingFile existing) {
    using R = Result<Done>;
    const std::string name = path.string();
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return R::failure(name + " is a folder.");
        if (existing == ExistingFile::Keep)
            return R::failure(name + " already exists; it was left as it was.");
    }

    fs::path folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    std::string pattern = (folder / ".quenlark-convert-XXXXXX").string();
    std::vector<char> temporary(pattern.begin(), pattern.end());
    temporary.push_back('\0');
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return R::failure(name + " cannot be written: " + reason(errno) + ".");

    auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temporary.data());
        return R::failure(name + " cannot be written: " + reason(error) + ".");
    };
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (!writeAll(fd, content.data(), content.size()) || ::fchmod(fd, 0666 & ~mask) != 0 ||
        ::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.data());
        return R::failure(name + " cannot be written: " + reason(error) + ".");
    }

    const bool moved = existing == ExistingFile::Replace
                           ? ::rename(temporary.data(), path.c_str()) == 0
                           : renameNoReplace(temporary.data(), path.c_str());
    if (!moved) {
        const int error = errno;
        ::unlink(temporary.data());
        if (error == EEXIST)
            return R::failure(name + " already exists; it was left as it was.");
        return R::failure(name + " cannot be written: " + reason(error) + ".");
    }
    syncFolder(folder);
    return Done{};
}

}  // namespace quenlark::converter
