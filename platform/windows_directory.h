#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "drive_map.h"

namespace quenlark {

// Where the program keeps its settings file for an installation: in the
// Windows directory, as a Windows program does, or in the start-up directory
// on the host, for an installation whose files change only where the user
// changes a logo (a disk image from anyone, which a mere look must leave as
// it was).
enum class SettingsFolder { WindowsDirectory, StartupDirectory };

// The query for the installation's Windows directory ("C:\WINDOWS").
class WindowsDirectory {
  public:
    virtual ~WindowsDirectory() = default;

    // Nothing when it cannot be determined, or when it does not fit the
    // 255-character buffer that Windows programs hand to the query.
    virtual std::optional<std::string> query() = 0;

    virtual SettingsFolder settingsFolder() const { return SettingsFolder::WindowsDirectory; }
};

// The longest Windows directory that fits the query's buffer (with its NUL).
inline constexpr std::size_t kWindowsDirectoryBuffer = 255;

// The managed installation on the host: its Windows folder, whose parent is
// the root of the drive that holds it.
struct HostInstallation {
    std::filesystem::path windowsFolder;
    char driveLetter = 'C';

    std::filesystem::path driveRoot() const;
    // Z: for the host's root and the installation's drive.
    DriveMap driveMap() const;
    // The sentence that opens the welcome text: "Drive C: is /mnt/w98."
    std::string notice() const;
};

class HostWindowsDirectory : public WindowsDirectory {
  public:
    HostWindowsDirectory(DriveMap drives, std::filesystem::path windowsFolder);
    std::optional<std::string> query() override;

  private:
    DriveMap drives_;
    std::filesystem::path windowsFolder_;
};

}  // namespace quenlark
