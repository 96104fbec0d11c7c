#include "ordinary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace quenlark {

namespace {

const char* kindOf(mode_t mode) {
    if (S_ISFIFO(mode))
        return "a named pipe (FIFO)";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISDIR(mode))
        return "a folder";
    return nullptr;
}

std::string notOrdinarySentence(const std::string& what, mode_t mode) {
    const char* kind = kindOf(mode);
    return what + " is " +
           (kind ? std::string(kind) + ", not an ordinary file" : "not an ordinary file");
}

}  // namespace

std::optional<std::string> whyNotOrdinary(const std::filesystem::path& file,
                                          const std::string& what) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return std::nullopt;
    return notOrdinarySentence(what, info.st_mode);
}

int openOrdinaryFile(const std::filesystem::path& file, int flags, const std::string& what,
                     std::string& whyNot) {
    auto notOrdinary = [&](mode_t mode) {
        whyNot = notOrdinarySentence(what, mode) + ", so Quenlark does not read it.";
        return -1;
    };
    // Looked at before it is opened: opening some devices does something.
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return notOrdinary(info.st_mode);
    const int fd = ::open(file.c_str(), flags | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        whyNot = what + " cannot be read (" + std::strerror(errno) + ").";
        return -1;
    }
    // And again as opened, should it have been swapped in between.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return notOrdinary(info.st_mode);
    }
    // Reads of an ordinary file never wait anyway; the flag only kept open()
    // from waiting, and comes off for those who read on.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace quenlark
