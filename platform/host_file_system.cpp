#include "host_file_system.h"

#include <fstream>
#include <system_error>

#include "atomic_file.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

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

}  // namespace

HostFileSystem::HostFileSystem(DriveMap drives, std::string currentDirectory)
    : drives_(std::move(drives)),
      currentDirectory_(currentDirectory.empty() ? processWorkingDirectory(drives_)
                                                 : std::move(currentDirectory)) {}

std::optional<fs::path> HostFileSystem::hostPath(const std::string& windowsPath) const {
    if (windowsPath.empty())
        return std::nullopt;
    auto parsed = parseWindowsPath(windowsPath, currentDirectory_);
    if (!parsed)
        return std::nullopt;
    return drives_.toHost(*parsed);
}

bool HostFileSystem::copyFile(const std::string& from, const std::string& to) {
    auto source = hostPath(from);
    auto destination = hostPath(to);
    if (!source || !destination || isFolder(*destination))
        return false;
    return copyFileAtomically(*source, *destination);
}

bool HostFileSystem::fileExists(const std::string& path) {
    auto host = hostPath(path);
    return host && isRegularFile(*host);
}

bool HostFileSystem::deleteFile(const std::string& path) {
    auto host = hostPath(path);
    if (!host || !isRegularFile(*host))
        return false;
    std::error_code ec;
    return fs::remove(*host, ec) && !ec;
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
    auto host = hostPath(path);
    if (!host)
        return false;
    std::error_code ec;
    return fs::create_directory(*host, ec) && !ec;
}

bool HostFileSystem::writeLine(const std::string& path, const std::string& line) {
    auto host = hostPath(path);
    if (!host || isFolder(*host))
        return false;
    return writeFileAtomically(*host, line + "\r\n");
}

bool HostFileSystem::writeEmptyFile(const std::string& path) {
    auto host = hostPath(path);
    if (!host || isFolder(*host))
        return false;
    return writeFileAtomically(*host, {});
}

std::optional<std::string> HostFileSystem::readFirstLine(const std::string& path) {
    auto host = hostPath(path);
    if (!host || !isRegularFile(*host))
        return std::nullopt;
    std::ifstream in(*host, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string line;
    char c;
    bool any = false;
    while (in.get(c)) {
        any = true;
        if (c == '\r' || c == '\n')
            break;
        line += c;
    }
    if (!any)
        return std::nullopt;
    return line;
}

std::optional<std::string> HostFileSystem::readFile(const std::string& path,
                                                    std::uint64_t maxBytes) {
    auto length = fileLength(path);
    if (!length || *length > maxBytes)
        return std::nullopt;
    std::ifstream in(*hostPath(path), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string content(static_cast<std::size_t>(*length), '\0');
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    if (in.gcount() != static_cast<std::streamsize>(content.size()))
        return std::nullopt;
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
