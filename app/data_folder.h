#pragma once

#include <filesystem>
#include <string>

namespace quenlark {

// The user's data folder for the program (~/.local/share/quenlark, or under
// $XDG_DATA_HOME): it holds the demo drive, and the desktop's menu entry
// starts the program in it (--start-in-data-folder) so that BACKUP and
// ORIGINAL land there and not in the home folder the menu would start in.
std::filesystem::path userDataFolder();

// The readme installed with the program, found from the folder of the
// running program: <prefix>/share/doc/quenlark/readme.txt for
// <prefix>/bin/quenlark.
std::filesystem::path installedReadme(const std::filesystem::path& programFolder);

// Creates `folder` and its parents where missing and makes it the current
// directory. When it has no readme.txt yet and `readme` is a file, puts a link
// to it there, because "Read Me" opens the readme of the start-up directory.
// Returns false with `error` set, the current directory unchanged, when the
// folder cannot be made or entered.
bool enterDataFolder(const std::filesystem::path& folder, const std::filesystem::path& readme,
                     std::string& error);

}  // namespace quenlark
