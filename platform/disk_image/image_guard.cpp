#include "image_guard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <map>
#include <system_error>

#include "ordinary_file.h"
#include "process_files.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

// QEMU locks one byte per permission from offset 100 and one per shared
// permission from offset 200; a QEMU that opens the image holds some of them.
constexpr off_t kQemuLockStart = 100;
constexpr off_t kQemuLockLength = 200;
// Ours lies beyond them.
constexpr off_t kQuenlarkLockByte = 400;

std::string inUseSentence(const fs::path& image, const std::string& holder) {
    return "The disk image " + image.string() + " is in use by another program (" + holder +
           "); close it first.";
}

std::string processName(pid_t pid) {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
    return ec ? "process " + std::to_string(pid)
              : exe.filename().string() + ", process " + std::to_string(pid);
}

bool isReadOnlyView(pid_t pid) {
    return readProcessFile(pid, "cmdline").find(kReadOnlyViewMarker) != std::string::npos;
}

struct FileKey {
    dev_t device;
    ino_t inode;
    bool operator<(const FileKey& other) const {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

// The first process (but this one and those in `ignored`) that has each of
// `files` open, apart from Quenlark's read-only views.
std::map<FileKey, pid_t> processesWithFilesOpen(const std::set<FileKey>& files,
                                                const std::set<pid_t>& ignored) {
    std::map<FileKey, pid_t> holders;
    std::error_code ec;
    for (fs::directory_iterator proc("/proc", ec), end; !ec && proc != end; proc.increment(ec)) {
        const std::string name = proc->path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const pid_t pid = static_cast<pid_t>(std::stol(name));
        if (pid == ::getpid() || ignored.count(pid))
            continue;
        std::error_code fdError;
        for (fs::directory_iterator fd(proc->path() / "fd", fdError), fdEnd;
             !fdError && fd != fdEnd; fd.increment(fdError)) {
            struct stat info {};
            if (::stat(fd->path().c_str(), &info) != 0)
                continue;
            const FileKey key{info.st_dev, info.st_ino};
            if (files.count(key) && !holders.count(key) && !isReadOnlyView(pid))
                holders.emplace(key, pid);
        }
    }
    return holders;
}

// What the image's own locks say, and the file it is, or why it cannot be read.
std::optional<std::string> lockHolder(const fs::path& image, std::optional<FileKey>& file) {
    std::string whyNot;
    const int fd = openOrdinaryFile(image, O_RDONLY, "The disk image " + image.string(), whyNot);
    if (fd < 0)
        return whyNot;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kQemuLockStart;
    lock.l_len = kQemuLockLength;
    const bool asked = ::fcntl(fd, F_OFD_GETLK, &lock) == 0;
    // A shared flock is refused only while another holds an exclusive one,
    // as DOSBox-X does on the images it mounts; it ends with close().
    const bool flocked = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    struct stat info {};
    const bool stated = ::fstat(fd, &info) == 0;
    ::close(fd);
    if (asked && lock.l_type != F_UNLCK)
        return inUseSentence(image, "an emulator holds its lock");
    if (flocked)
        return inUseSentence(image, "a program such as DOSBox-X holds its lock");
    std::error_code ec;
    const fs::path bochsLock = image.string() + ".lock";
    if (fs::exists(fs::symlink_status(bochsLock, ec)))
        return inUseSentence(image, "Bochs' lock file " + bochsLock.string() +
                                        " is there; if Bochs is not running, delete it");
    if (!stated)
        return "The disk image " + image.string() + " cannot be read.";
    file = FileKey{info.st_dev, info.st_ino};
    return std::nullopt;
}

}  // namespace

std::optional<std::string> whyImageIsReadOnly(const fs::path& image) {
    struct stat info {};
    if (::stat(image.c_str(), &info) != 0)
        return "The disk image " + image.string() + " cannot be read (" + std::strerror(errno) +
               ").";
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return "The disk image " + image.string() +
               " is read-only, so its logos can be looked at but not changed.";
    if (::access(image.c_str(), W_OK) != 0)
        return "The disk image " + image.string() +
               (errno == EROFS ? " lies on a read-only file system"
                               : " may not be written by this user") +
               ", so its logos can be looked at but not changed.";
    return std::nullopt;
}

std::optional<std::string> whyImageIsInUse(const fs::path& image, const std::set<pid_t>& ignored) {
    return whyImagesAreInUse({image}, ignored).front();
}

std::vector<std::optional<std::string>> whyImagesAreInUse(const std::vector<fs::path>& images,
                                                          const std::set<pid_t>& ignored) {
    std::vector<std::optional<std::string>> why(images.size());
    std::vector<std::optional<FileKey>> files(images.size());
    std::set<FileKey> unlocked;
    for (std::size_t i = 0; i < images.size(); ++i)
        if (!(why[i] = lockHolder(images[i], files[i])))
            unlocked.insert(*files[i]);
    if (unlocked.empty())
        return why;
    const auto holders = processesWithFilesOpen(unlocked, ignored);
    for (std::size_t i = 0; i < images.size(); ++i)
        if (files[i])
            if (const auto holder = holders.find(*files[i]); holder != holders.end())
                why[i] = inUseSentence(images[i],
                                       processName(holder->second) + " has it open; an emulator?");
    return why;
}

ImageChangeLock::ImageChangeLock(const fs::path& image)
    : fd_(::open(image.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK)) {
    if (fd_ < 0) {
        failure_ = "The disk image " + image.string() + " cannot be opened for writing (" +
                   std::strerror(errno) + ").";
        return;
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kQuenlarkLockByte;
    lock.l_len = 1;
    held_ = ::fcntl(fd_, F_OFD_SETLK, &lock) == 0;
    if (!held_)
        failure_ = "The disk image " + image.string() +
                   " is being changed by another Quenlark; try again when it has finished.";
}

ImageChangeLock::~ImageChangeLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

}  // namespace quenlark
