#pragma once

#include <filesystem>
#include <string>

#include "demo_drive.h"  // userDataFolder()

namespace quenlark {

// The readme installed with the program, found from the folder of the
// running program: <prefix>/share/doc/quenlark/readme.txt for
// <prefix>/bin/quenlark.
std::filesystem::path installedReadme(const std::filesystem::path& programFolder);

// Makes a start-up folder ready: creates `folder` and its parents where
// missing and, when it has no readme.txt yet and `readme` is a file, puts a
// link to it there, because "Read Me" opens the readme of the start-up
// directory. Returns false with `error` set when the folder cannot be made.
bool prepareStartupFolder(const std::filesystem::path& folder, const std::filesystem::path& readme,
                          std::string& error);

}  // namespace quenlark
