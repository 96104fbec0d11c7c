#include "regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace quenlark {

std::optional<std::string> notRegularKind(mode_t mode) {
    if (S_ISREG(mode))
        return std::nullopt;
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISDIR(mode))
        return "a folder";
    return "not an ordinary file";
}

std::optional<std::string> whyNotRegular(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    if (const auto kind = notRegularKind(info.st_mode))
        return path.string() + " is " + *kind + ", not a regular file.";
    return std::nullopt;
}

std::string hostFailure(const std::string& what, const std::filesystem::path& path,
                        const std::string& action, int error) {
    return "The " + what + " " + path.string() + " cannot be " + action + ": " +
           std::strerror(error) + ".";
}

ReadableFile::ReadableFile(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        failure_ = hostFailure("file", path, "read", errno);
        return;
    }
    if (const auto why = whyNotRegular(path)) {
        failure_ = *why;
        return;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        failure_ = hostFailure("file", path, "read", errno);
        return;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const auto kind = notRegularKind(info.st_mode);
        failure_ = path.string() + " is " + kind.value_or("not readable") + ", not a regular file.";
        ::close(fd);
        return;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(info.st_size);
}

ReadableFile::~ReadableFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

}  // namespace quenlark
