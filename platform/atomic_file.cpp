#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "regular_file.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

RenameFunction renameFunction = &::rename;

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

mode_t defaultMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A temporary file beside `destination` that is removed unless committed.
// Each failure leaves its sentence in failure().
class TemporaryFile {
  public:
    explicit TemporaryFile(const fs::path& destination) : destination_(destination) {
        fs::path folder = destination.parent_path();
        if (folder.empty())
            folder = ".";
        std::string pattern = (folder / ".quenlark-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
        if (fd < 0) {
            failure_ = hostFailure("folder", folder, "written", errno);
            return;
        }
        fd_ = fd;
        path_ = buffer.data();
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
    const std::string& failure() const { return failure_; }

    bool write(const char* data, std::size_t size) {
        return writeAll(fd_, data, size) || fail("written");
    }

    // Flushes, closes and renames the file over the destination, giving it
    // the permissions and owner of the regular file it replaces.
    bool commit() {
        struct stat replaced {};
        mode_t mode = defaultMode();
        if (::lstat(destination_.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode)) {
            mode = replaced.st_mode & 0777;
            // Another owner only root may give; the group any member may.
            if (::fchown(fd_, replaced.st_uid, replaced.st_gid) != 0)
                (void)!::fchown(fd_, static_cast<uid_t>(-1), replaced.st_gid);
        }
        if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0)
            return fail("written");
        int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0)
            return fail("written");
        if (renameFunction(path_.c_str(), destination_.c_str()) != 0)
            return fail("replaced");
        committed_ = true;
        return true;
    }

  private:
    bool fail(const std::string& action) {
        failure_ = hostFailure("file", destination_, action, errno);
        return false;
    }

    fs::path destination_;
    int fd_ = -1;
    std::string path_;
    std::string failure_;
    bool committed_ = false;
};

bool failWith(std::string* failure, const std::string& sentence) {
    if (failure)
        *failure = sentence;
    return false;
}

}  // namespace

RenameFunction replaceRenameFunction(RenameFunction rename) {
    RenameFunction previous = renameFunction;
    renameFunction = rename ? rename : &::rename;
    return previous;
}

bool copyFileAtomically(const fs::path& source, const fs::path& destination, std::string* failure) {
    ReadableFile in(source);
    if (!in.valid())
        return failWith(failure, in.failure());
    TemporaryFile out(destination);
    if (!out.valid())
        return failWith(failure, out.failure());
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        ssize_t n = ::read(in.fd(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failWith(failure, hostFailure("file", source, "read", errno));
        if (n == 0)
            break;
        if (!out.write(buffer.data(), static_cast<std::size_t>(n)))
            return failWith(failure, out.failure());
    }
    return out.commit() || failWith(failure, out.failure());
}

bool writeFileAtomically(const fs::path& destination, std::string_view content,
                         std::string* failure) {
    TemporaryFile out(destination);
    if (!out.valid())
        return failWith(failure, out.failure());
    if (!out.write(content.data(), content.size()) || !out.commit())
        return failWith(failure, out.failure());
    return true;
}

}  // namespace quenlark
