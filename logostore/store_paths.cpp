#include "store_paths.h"

namespace quenlark {

namespace {

// Everything but the last three characters of `path`, and `extension`.
std::string withLastThreeReplaced(const std::string& path, std::string_view extension) {
    const std::size_t keep = path.size() >= 3 ? path.size() - 3 : 0;
    return path.substr(0, keep) + std::string(extension);
}

}  // namespace

StorePaths formStorePaths(const std::string& windowsDirectory, const std::string& startupDirectory,
                          SettingsFolder settings) {
    StorePaths paths;
    paths.windowsDirectory = windowsDirectory;
    paths.startupDirectory = startupDirectory;

    // A drive root already ends in a backslash; no other folder does.
    const bool atRoot = !startupDirectory.empty() && startupDirectory.back() == '\\';
    const std::string inStartup = startupDirectory + (atRoot ? "" : "\\");
    const std::string backupFolder = inStartup + "backup\\";
    paths.settingsPath = settings == SettingsFolder::StartupDirectory
                             ? inStartup + "quenlark.ini"
                             : windowsDirectory + "\\quenlark.ini";

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
    return withLastThreeReplaced(installedPath, "TMP");
}

std::string pendingBackupPathFor(const std::string& backupPath) {
    return withLastThreeReplaced(backupPath, "new");
}

}  // namespace quenlark
