#pragma once

#include <array>
#include <string>

#include "slots.h"
#include "windows_directory.h"

namespace quenlark {

// Every path of the logo store, formed once at start-up and used as stored:
// in file operations and, letter case included, in the texts shown.
struct StorePaths {
    std::array<std::string, 3> installed;
    std::array<std::string, 3> backup;
    std::string startupDirectory;
    std::string windowsDirectory;
    std::string settingsPath;

    const std::string& installedOf(Slot s) const { return installed[static_cast<std::size_t>(s)]; }
    const std::string& backupOf(Slot s) const { return backup[static_cast<std::size_t>(s)]; }
    // The drive letter is the first character of the Windows directory.
    std::string driveLetter() const { return windowsDirectory.substr(0, 1); }
};

// Forms the paths from the Windows directory ("C:\WINDOWS") and the start-up
// directory ("C:\TOOLS", or "C:\" at a drive root); the settings file goes in
// the folder `settings` names. Pure: no file is looked at.
StorePaths formStorePaths(const std::string& windowsDirectory, const std::string& startupDirectory,
                          SettingsFolder settings = SettingsFolder::WindowsDirectory);

// The temporary file beside an installed logo: the path with its last three
// characters replaced by "TMP" ("C:\logo.sys" gives "C:\logo.TMP").
std::string temporaryPathFor(const std::string& installedPath);

// Where a logo waits to become a slot's backup until the logo that replaces
// it is installed: beside the backup file, "new" in place of its extension
// ("C:\TOOLS\backup\logo.qnk" gives "C:\TOOLS\backup\logo.new").
std::string pendingBackupPathFor(const std::string& backupPath);

}  // namespace quenlark
