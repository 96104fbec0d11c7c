#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace quenlark {

namespace fs = std::filesystem;

namespace {

RenameFunction renameFunction = &::rename;

// Closes a descriptor on every way out.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

  private:
    int fd_;
};

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// A temporary file beside `destination` that is removed unless committed.
class TemporaryFile {
  public:
    explicit TemporaryFile(const fs::path& destination) {
        fs::path folder = destination.parent_path();
        if (folder.empty())
            folder = ".";
        std::string pattern = (folder / ".quenlark-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
        if (fd >= 0) {
            fd_ = fd;
            path_ = buffer.data();
        }
    }
    ~TemporaryFile() {
        if (fd_ >= 0)
            ::close(fd_);
        if (!path_.empty() && !committed_)
            ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    // Flushes, closes and renames the file over `destination`.
    bool commit(const fs::path& destination, mode_t mode) {
        if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0)
            return false;
        int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            return false;
        if (renameFunction(path_.c_str(), destination.c_str()) != 0)
            return false;
        committed_ = true;
        return true;
    }

  private:
    int fd_ = -1;
    std::string path_;
    bool committed_ = false;
};

mode_t defaultMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

RenameFunction replaceRenameFunction(RenameFunction rename) {
    RenameFunction previous = renameFunction;
    renameFunction = rename ? rename : &::rename;
    return previous;
}

bool copyFileAtomically(const fs::path& source, const fs::path& destination) {
    Descriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid())
        return false;
    struct stat info {};
    if (::fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;

    TemporaryFile out(destination);
    if (!out.valid())
        return false;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (!writeAll(out.fd(), buffer.data(), static_cast<std::size_t>(n)))
            return false;
    }
    return out.commit(destination, info.st_mode & 07777);
}

bool writeFileAtomically(const fs::path& destination, std::string_view content) {
    TemporaryFile out(destination);
    if (!out.valid())
        return false;
    if (!writeAll(out.fd(), content.data(), content.size()))
        return false;
    return out.commit(destination, defaultMode());
}

}  // namespace quenlark
