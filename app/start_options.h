#pragma once

#include <QStringList>
#include <filesystem>
#include <optional>

namespace quenlark {

struct StartOptions {
    // The Windows folder of the installation to manage; empty for the demo drive.
    std::filesystem::path windowsFolder;
    char driveLetter = 'C';
    // Start in the user's data folder instead of the current directory, as
    // the desktop's menu entry does (see data_folder.h).
    bool startInDataFolder = false;
};

// Reads the command line (program name first). Fills `options` and returns
// nothing when the program should start. Otherwise returns the exit status:
// 0 after --help or --version, printed to standard output; 2 after one line
// on standard error for an option that is wrong or names no folder.
std::optional<int> readStartOptions(const QStringList& arguments, StartOptions& options);

}  // namespace quenlark
