#include "installation.h"

#include <cstdint>
#include <cstdio>
#include <system_error>

#include "host_file_system.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

bool isFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// A name of the folder that is there, spelt in any case.
std::optional<fs::path> childIgnoringCase(const fs::path& folder, const std::string& name) {
    if (const auto found = findNameIgnoringCase(folder, name))
        return folder / *found;
    return std::nullopt;
}

bool holdsWindows(const fs::path& folder) {
    std::error_code ec;
    const auto winCom = childIgnoringCase(folder, "WIN.COM");
    const auto system = childIgnoringCase(folder, "SYSTEM");
    return (winCom && fs::is_regular_file(*winCom, ec)) || (system && isFolder(*system));
}

// FNV-1a: small, and the same on every host and build, which a folder name
// kept across runs needs.
std::uint32_t stableHash(const std::string& text) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

}  // namespace

std::optional<OpenInstallation> openFolderInstallation(const InstallationSource& source,
                                                       std::string& error) {
    // The drive is the folder above the Windows folder as the user named
    // it: a link on the way (a WINDOWS folder that leads elsewhere) must not
    // move the drive, and so what may be written, to wherever it leads.
    std::error_code ec;
    const fs::path asGiven = fs::absolute(source.path, ec).lexically_normal();
    const fs::path windowsFolder =
        !asGiven.has_filename() && asGiven != asGiven.root_path() ? asGiven.parent_path() : asGiven;
    const fs::path canonical = fs::weakly_canonical(windowsFolder, ec);
    if (ec || !isFolder(windowsFolder)) {
        error = "The Windows folder " + source.path.string() +
                " is not there any more. Is its disk unplugged or its image unmounted?";
        return std::nullopt;
    }
    const HostInstallation host{windowsFolder, source.driveLetter};
    OpenInstallation open;
    open.source = source;
    open.source.path = windowsFolder;
    open.drives = host.driveMap();
    open.files = std::make_unique<HostFileSystem>(open.drives);
    open.windowsDirectory = std::make_unique<HostWindowsDirectory>(open.drives, windowsFolder);
    open.notice = host.notice();
    const fs::path root = host.driveRoot();
    open.name = root.has_filename() ? root.filename().string() : std::string("root");
    // The identity and the start-up folder's name come from the folder as it
    // resolves, as they always have, so that the backups and originals made
    // before are found again however the folder is reached.
    open.identity = "folder:" + canonical.string();
    const fs::path canonicalRoot = canonical.parent_path();
    open.folderName = startupFolderName(
        canonicalRoot.has_filename() ? canonicalRoot.filename().string() : std::string("root"),
        open.identity);
    return open;
}

std::optional<fs::path> findWindowsFolder(const fs::path& picked, std::string& error) {
    if (!isFolder(picked)) {
        error = "The folder " + picked.string() + " does not exist.";
        return std::nullopt;
    }
    if (holdsWindows(picked))
        return picked;
    if (const auto windows = childIgnoringCase(picked, "WINDOWS");
        windows && isFolder(*windows) && holdsWindows(*windows))
        return windows;
    error = "The folder " + picked.string() +
            " holds no Windows installation: it has no WIN.COM or SYSTEM folder, and no "
            "WINDOWS folder that has one. Choose the Windows folder or the root of the drive "
            "that holds it.";
    return std::nullopt;
}

std::string startupFolderName(const std::string& name, const std::string& identity) {
    std::string safe;
    for (unsigned char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        safe += plain ? static_cast<char>(c) : '_';
    }
    if (safe.empty() || safe.front() == '.')
        safe.insert(safe.begin(), '_');
    char hash[9];
    std::snprintf(hash, sizeof hash, "%08x", stableHash(identity));
    return safe.substr(0, 40) + "-" + hash;
}

}  // namespace quenlark
