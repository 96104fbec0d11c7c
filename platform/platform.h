#pragma once

#include <string>

#include "drive_map.h"
#include "file_system.h"
#include "installation_finder.h"
#include "installation_switcher.h"
#include "program_starter.h"
#include "registry.h"
#include "windows_directory.h"

namespace quenlark {

// Everything the program asks of the platform, handed to the main window.
struct Platform {
    FileSystem& files;
    WindowsDirectory& windowsDirectory;
    const DriveMap& drives;  // host <-> Windows paths for the host's file chooser
    ProgramStarter& programs;
    Registry& registry;
    std::string driveNotice;  // opens the welcome text: "Drive C: is /mnt/w98."
    // The Drive menu's: the installations used and the way to another one.
    // Switching changes what `files`, `windowsDirectory` and `drives` reach.
    // Without one the window manages the one installation it starts on.
    InstallationSwitcher* switcher = nullptr;
    // Drive, Find Installations: the emulators' machines. Without one the
    // menu does not offer it.
    InstallationFinder* finder = nullptr;
};

}  // namespace quenlark
