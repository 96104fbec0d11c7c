#include "store_paths.h"

namespace quenlark {

StorePaths formStorePaths(const std::string& windowsDirectory,
                          const std::string& startupDirectory) {
    StorePaths paths;
    paths.windowsDirectory = windowsDirectory;
    paths.startupDirectory = startupDirectory;
    paths.settingsPath = windowsDirectory + "\\quenlark.ini";

    // A drive root already ends in a backslash; no other folder does.
    const bool atRoot = !startupDirectory.empty() && startupDirectory.back() == '\\';
    const std::string backupFolder = startupDirectory + (atRoot ? "backup\\" : "\\backup\\");

    for (const auto& slot : kSlots) {
        const auto i = static_cast<std::size_t>(slot.slot);
        const std::string name(slot.installedName);
        paths.installed[i] =
            slot.atDriveRoot ? paths.driveLetter() + ":\\" + name : windowsDirectory + "\\" + name;
        paths.backup[i] = backupFolder + std::string(slot.backupName);
    }
    return paths;
}

std::string temporaryPathFor(const std::string& installedPath) {
    const std::size_t keep = installedPath.size() >= 3 ? installedPath.size() - 3 : 0;
    return installedPath.substr(0, keep) + "TMP";
}

}  // namespace quenlark
