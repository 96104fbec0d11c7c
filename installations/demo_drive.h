#pragma once

#include <filesystem>
#include <string>

namespace quenlark {

// The user's data folder for the program (~/.local/share/quenlark, or under
// $XDG_DATA_HOME): it holds the demo drive and each installation's own
// start-up folder, where its BACKUP and ORIGINAL are.
std::filesystem::path userDataFolder();

// The Windows drive Quenlark manages when it is given none: "drive_c" in the
// user's data folder.
std::filesystem::path demoDriveRoot();

// Makes sure the drive at `root` has a WINDOWS folder. When it has none yet,
// creates it and writes the three sample logos: LOGO.SYS at the root, LOGOW.SYS
// and LOGOS.SYS in WINDOWS, each only where no file of that name is. A drive
// that has its WINDOWS folder is left exactly as it is, even without logos.
// Returns the WINDOWS folder, or an empty path with `error` set when the drive
// cannot be made.
std::filesystem::path prepareDemoDrive(const std::filesystem::path& root, std::string& error);

}  // namespace quenlark
