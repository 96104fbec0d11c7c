#include "windows_directory.h"

#include <cctype>
#include <system_error>

namespace quenlark {

namespace fs = std::filesystem;

fs::path HostInstallation::driveRoot() const {
    std::error_code ec;
    fs::path folder = fs::absolute(windowsFolder, ec).lexically_normal();
    if (!folder.has_filename())
        folder = folder.parent_path();
    return folder.parent_path();
}

DriveMap HostInstallation::driveMap() const {
    DriveMap drives;
    drives.map(driveLetter, driveRoot());
    return drives;
}

std::string HostInstallation::notice() const {
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(driveLetter)));
    return std::string("Drive ") + letter + ": is " + driveRoot().string() + ".";
}

HostWindowsDirectory::HostWindowsDirectory(DriveMap drives, fs::path windowsFolder)
    : drives_(std::move(drives)), windowsFolder_(std::move(windowsFolder)) {}

std::optional<std::string> HostWindowsDirectory::query() {
    std::error_code ec;
    if (!fs::is_directory(windowsFolder_, ec))
        return std::nullopt;
    std::string text = drives_.toWindows(windowsFolder_);
    if (text.size() >= kWindowsDirectoryBuffer)
        return std::nullopt;
    return text;
}

}  // namespace quenlark
