#pragma once

#include <filesystem>
#include <string>

#include "demo_drive.h"  // userDataFolder(), the folder to enter

namespace quenlark {

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
