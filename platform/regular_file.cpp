#include "regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstring>

#include "ordinary_file.h"

namespace quenlark {

std::optional<std::string> whyNotAnOrdinaryFile(const std::filesystem::path& path) {
    if (const auto why = whyNotOrdinary(path, "The file " + path.string()))
        return *why + ", so Quenlark does not touch it.";
    return std::nullopt;
}

std::string hostFailure(const std::string& what, const std::filesystem::path& path,
                        const std::string& action, int error) {
    return "The " + what + " " + path.string() + " cannot be " + action + " (" +
           std::strerror(error) + ").";
}

ReadableFile::ReadableFile(const std::filesystem::path& path) {
    fd_ = openOrdinaryFile(path, O_RDONLY | O_NOCTTY, "The file " + path.string(), failure_);
    struct stat info {};
    if (fd_ >= 0 && ::fstat(fd_, &info) == 0)
        size_ = static_cast<std::uint64_t>(info.st_size);
}

ReadableFile::~ReadableFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

}  // namespace quenlark
