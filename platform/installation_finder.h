#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "installation.h"

namespace quenlark {

// A Windows 95/98 installation found on a disk of one of the user's emulator
// machines, or in a folder the user asked to be searched.
struct FoundInstallation {
    // As the emulator shows it ("Windows 98 SE"); a bare image's file name.
    std::string machine;
    // "86Box", "VirtualBox", ...; "Search folder" for an image found there.
    std::string emulator;
    // The image and the partition that holds Windows, or a folder
    // installation's Windows folder: what --image/--partition or
    // --windows-dir take.
    InstallationSource source;
    // "C:\WINDOWS" as MSDOS.SYS names it; empty when refused.
    std::string windowsFolder;
    // The configuration file that names the disk.
    std::filesystem::path foundIn;
    // Why the user should shut the machine down first: its emulator has the
    // image open now.
    std::optional<std::string> inUse;
    // Why it cannot be opened at all (a differencing disk, an image this user
    // may not read); then source.partition and windowsFolder are unknown.
    std::optional<std::string> refused;
};

struct FindReport {
    std::vector<FoundInstallation> found;
    // Places that could not be looked at, one sentence each (a configuration
    // file that is too large, a folder this user may not read).
    std::vector<std::string> notes;
};

// Finds the installations of the user's emulators by the machine names the
// user gave them: what the Drive menu's Find Installations offers.
class InstallationFinder {
  public:
    // Told how many of the disks found are looked into so far, of how many;
    // returns false to stop the search (what was confirmed so far is kept).
    using Progress = std::function<bool(int done, int total)>;

    virtual ~InstallationFinder() = default;

    // The folders the user added to be searched for images, kept between runs.
    virtual std::vector<std::filesystem::path> searchFolders() = 0;
    // Adds one; nothing when it was kept, else the sentence why not.
    virtual std::optional<std::string> addSearchFolder(const std::filesystem::path& folder) = 0;

    // Reads the emulators' machine lists and `searchFolders`, and confirms
    // each disk named there. Runs on any thread: it touches nothing but files
    // and the tools it starts, and calls `progress` on the thread it runs on.
    virtual FindReport find(const std::vector<std::filesystem::path>& searchFolders,
                            const Progress& progress) const = 0;
};

}  // namespace quenlark
