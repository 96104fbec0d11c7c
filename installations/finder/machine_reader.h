#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "installation.h"

namespace quenlark {

// What an emulator's configuration says a machine runs, where it says it.
enum class DeclaredSystem { Unknown, Windows9x, Other };

// A disk of one machine, as its emulator's configuration names it; nothing
// about it is known yet, not even whether it exists.
struct MachineDisk {
    std::string machine;
    std::string emulator;
    // A disk image, or (DOSBox-X's MOUNT) a host folder that is the drive's root.
    InstallationSource::Kind kind = InstallationSource::Kind::DiskImage;
    std::filesystem::path path;
    DeclaredSystem system = DeclaredSystem::Unknown;
    std::filesystem::path foundIn;
};

// Where the user's emulators keep their files: the home folder and the XDG
// folders as the emulators find them, for the user or for a test.
struct FinderPlaces {
    std::filesystem::path home;
    std::filesystem::path configHome;                     // $XDG_CONFIG_HOME, else ~/.config
    std::filesystem::path dataHome;                       // $XDG_DATA_HOME, else ~/.local/share
    std::optional<std::filesystem::path> virtualBoxHome;  // $VBOX_USER_HOME
    std::filesystem::path systemLibvirt = "/etc/libvirt/qemu";

    // A Flatpak application's own folder: ~/.var/app/<id>.
    std::filesystem::path flatpak(std::string_view id) const { return home / ".var/app" / id; }
};

// The places of the user running this program, from its environment.
FinderPlaces userFinderPlaces();

// What a walk through the folders the user added to be searched turned up.
struct SearchFolderFiles {
    std::vector<std::filesystem::path> images;         // by extension
    std::vector<std::filesystem::path> machines86Box;  // folders that hold 86box.cfg
    std::vector<std::filesystem::path> confFiles;      // *.conf, for DOSBox-X
    std::vector<std::filesystem::path> bochsConfigs;   // bochsrc, .bochsrc, *.bxrc
};

struct FinderInput {
    FinderPlaces places;
    SearchFolderFiles searched;
};

// The disks the readers found, and what they could not read.
struct MachineList {
    std::vector<MachineDisk> disks;
    std::vector<std::string> notes;
};

// Reads one emulator's machines from its own files; nothing else.
class MachineReader {
  public:
    virtual ~MachineReader() = default;
    virtual void read(const FinderInput& input, MachineList& out) const = 0;
};

// One reader per emulator, in the order their machines are listed.
std::vector<std::unique_ptr<MachineReader>> allMachineReaders();

// A path as a configuration file writes it, on the host: relative to `base`;
// "~/" in the home folder; backslashes as Windows writes them; "Z:" as the
// host's root folder (Wine's drive, and how this program shows host paths);
// another drive letter, from a configuration made on Windows, as the file of
// that name in `base`, where a copied machine folder keeps its disks.
std::filesystem::path hostPathFromConfig(std::string_view written,
                                         const std::filesystem::path& base,
                                         const std::filesystem::path& home);

// The text of a configuration file, or nothing, with the reason added to
// `notes` (a missing file is no news and adds none).
std::optional<std::string> readMachineFile(const std::filesystem::path& file,
                                           std::vector<std::string>& notes);

}  // namespace quenlark
