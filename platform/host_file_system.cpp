#include "host_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <system_error>

#include "atomic_file.h"
#include "regular_file.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

// A line is read from a small text file; one longer than this is no setting.
constexpr std::uint64_t kLongestLine = 16 * 1024 * 1024;

bool isRegularFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

bool isFolder(const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
}

std::string processWorkingDirectory(const DriveMap& drives) {
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    return drives.toWindows(ec ? fs::path("/") : cwd);
}

// Whether `path` is `folder` or lies below it; both without links.
bool within(const fs::path& path, const fs::path& folder) {
    auto p = path.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
        if (f->empty())
            continue;  // a trailing separator
        if (p == path.end() || *p != *f)
            return false;
    }
    return true;
}

}  // namespace

HostFileSystem::HostFileSystem(DriveMap drives, std::string currentDirectory)
    : drives_(std::move(drives)),
      currentDirectory_(currentDirectory.empty() ? processWorkingDirectory(drives_)
                                                 : std::move(currentDirectory)) {}

bool HostFileSystem::fail(std::string sentence) {
    lastFailure_ = std::move(sentence);
    return false;
}

std::optional<fs::path> HostFileSystem::hostPath(const std::string& windowsPath) const {
    if (windowsPath.empty())
        return std::nullopt;
    auto parsed = parseWindowsPath(windowsPath, currentDirectory_);
    if (!parsed)
        return std::nullopt;
    return drives_.toHost(*parsed);
}

std::optional<std::string> HostFileSystem::leadsOffItsDrive(const std::string& windowsPath) const {
    const auto parsed = parseWindowsPath(windowsPath, currentDirectory_);
    const auto root = parsed ? drives_.root(parsed->drive) : std::nullopt;
    const auto host = parsed ? drives_.toHost(*parsed) : std::nullopt;
    if (!root || !host || *root == root->root_path())
        return std::nullopt;
    std::error_code ec;
    const fs::path realRoot = fs::canonical(*root, ec);
    if (ec)
        return std::nullopt;  // the drive is gone: the change fails by itself
    const fs::path realFolder = fs::weakly_canonical(host->parent_path(), ec);
    if (ec || within(realFolder, realRoot))
        return std::nullopt;
    return parsed->text() + " leads out of the drive's folder " + root->string() +
           " through a link (to " + realFolder.string() +
           "), and Quenlark changes nothing outside the drive's folder.";
}

std::optional<fs::path> HostFileSystem::changeable(const std::string& windowsPath) {
    const auto host = hostPath(windowsPath);
    if (!host) {
        fail("The path " + windowsPath + " names no drive.");
        return std::nullopt;
    }
    if (const auto off = leadsOffItsDrive(windowsPath)) {
        fail(*off);
        return std::nullopt;
    }
    return host;
}

std::optional<std::string> HostFileSystem::whyCannotChange(const std::string& path) {
    const auto host = hostPath(path);
    if (!host)
        return std::nullopt;
    if (auto off = leadsOffItsDrive(path))
        return off;
    if (auto notRegular = whyNotAnOrdinaryFile(*host))
        return notRegular;
    const fs::path folder = host->parent_path();
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0 && errno != ENOENT)
        return hostFailure("folder", folder, "written", errno);
    // In a folder such as /tmp only a file's owner may replace it.
    struct stat file {
    }, parent{};
    const uid_t user = ::geteuid();
    if (user != 0 && ::lstat(host->c_str(), &file) == 0 && ::stat(folder.c_str(), &parent) == 0 &&
        (parent.st_mode & S_ISVTX) && file.st_uid != user && parent.st_uid != user)
        return hostFailure("file", *host, "replaced", EPERM) +
               " It belongs to another user, in a folder that lets only its owner replace it.";
    return std::nullopt;
}

bool HostFileSystem::copyFile(const std::string& from, const std::string& to) {
    lastFailure_.clear();
    const auto source = hostPath(from);
    if (!source)
        return fail("The path " + from + " names no drive.");
    const auto destination = changeable(to);
    if (!destination)
        return false;
    if (const auto notRegular = whyNotAnOrdinaryFile(*destination))
        return fail(*notRegular);
    std::string why;
    return copyFileAtomically(*source, *destination, &why) || fail(why);
}

bool HostFileSystem::fileExists(const std::string& path) {
    auto host = hostPath(path);
    return host && isRegularFile(*host);
}

bool HostFileSystem::deleteFile(const std::string& path) {
    lastFailure_.clear();
    const auto host = changeable(path);
    if (!host)
        return false;
    if (!isRegularFile(*host))
        return fail("There is no file " + host->string() + " to delete.");
    std::error_code ec;
    return (fs::remove(*host, ec) && !ec) ||
           fail(hostFailure("file", *host, "deleted", ec.value()));
}

std::optional<std::uint64_t> HostFileSystem::fileLength(const std::string& path) {
    auto host = hostPath(path);
    if (!host || !isRegularFile(*host))
        return std::nullopt;
    std::error_code ec;
    auto size = fs::file_size(*host, ec);
    if (ec)
        return std::nullopt;
    return size;
}

bool HostFileSystem::createFolder(const std::string& path) {
    lastFailure_.clear();
    const auto host = changeable(path);
    if (!host)
        return false;
    std::error_code ec;
    if (fs::create_directory(*host, ec) && !ec)
        return true;
    return fail(ec ? hostFailure("folder", *host, "created", ec.value())
                   : "The folder " + host->string() + " exists already.");
}

bool HostFileSystem::writeLine(const std::string& path, const std::string& line) {
    lastFailure_.clear();
    const auto host = changeable(path);
    if (!host)
        return false;
    if (const auto notRegular = whyNotAnOrdinaryFile(*host))
        return fail(*notRegular);
    std::string why;
    return writeFileAtomically(*host, line + "\r\n", &why) || fail(why);
}

bool HostFileSystem::writeEmptyFile(const std::string& path) {
    lastFailure_.clear();
    const auto host = changeable(path);
    if (!host)
        return false;
    if (const auto notRegular = whyNotAnOrdinaryFile(*host))
        return fail(*notRegular);
    std::string why;
    return writeFileAtomically(*host, {}, &why) || fail(why);
}

std::optional<std::string> HostFileSystem::readFirstLine(const std::string& path) {
    lastFailure_.clear();
    const auto host = hostPath(path);
    if (!host)
        return std::nullopt;
    const ReadableFile in(*host);
    if (!in.valid()) {
        fail(in.failure());
        return std::nullopt;
    }
    std::string line;
    bool any = false;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(in.fd(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            fail(hostFailure("file", *host, "read", errno));
            return std::nullopt;
        }
        if (n == 0)
            return any ? std::optional(line) : std::nullopt;
        any = true;
        const std::string_view chunk(buffer, static_cast<std::size_t>(n));
        const std::size_t end = chunk.find_first_of("\r\n");
        line.append(chunk.substr(0, end));
        if (end != std::string_view::npos)
            return line;
        if (line.size() > kLongestLine) {
            fail("The first line of " + host->string() + " is too long to be a setting.");
            return std::nullopt;
        }
    }
}

std::optional<std::string> HostFileSystem::readFile(const std::string& path,
                                                    std::uint64_t maxBytes) {
    lastFailure_.clear();
    const auto host = hostPath(path);
    if (!host)
        return std::nullopt;
    const ReadableFile in(*host);
    if (!in.valid()) {
        fail(in.failure());
        return std::nullopt;
    }
    if (in.size() > maxBytes) {
        fail("The file " + host->string() + " is too large to be read (" +
             std::to_string(in.size()) + " bytes).");
        return std::nullopt;
    }
    std::string content(static_cast<std::size_t>(in.size()), '\0');
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::read(in.fd(), content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(n < 0 ? hostFailure("file", *host, "read", errno)
                       : "The file " + host->string() + " grew shorter while it was read.");
            return std::nullopt;
        }
        done += static_cast<std::size_t>(n);
    }
    return content;
}

std::string HostFileSystem::currentDirectory() {
    return currentDirectory_;
}

bool HostFileSystem::setCurrentDirectory(const std::string& path) {
    if (path.empty())
        return false;
    auto parsed = parseWindowsPath(path, currentDirectory_);
    if (!parsed)
        return false;
    auto host = drives_.toHost(*parsed);
    if (!host || !isFolder(*host))
        return false;
    currentDirectory_ = parsed->text();
    return true;
}

}  // namespace quenlark
