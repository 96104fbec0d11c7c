#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "drive_map.h"
#include "file_system.h"
#include "windows_directory.h"

namespace quenlark {

class DiskImage;

// Where a Windows installation lives on the host: a folder (an emulator's
// drive, a mounted disk) or a disk image file.
struct InstallationSource {
    enum class Kind { Folder, DiskImage };
    Kind kind = Kind::Folder;
    // The Windows folder, or the image file.
    std::filesystem::path path;
    // Images only: which partition; none for the first that holds Windows.
    std::optional<int> partition;
    char driveLetter = 'C';

    friend bool operator==(const InstallationSource&, const InstallationSource&) = default;
};

// An installation ready for the logo store: its drive behind a file system
// (every other host folder under Z:), its Windows directory, and how it is
// told apart and named.
struct OpenInstallation {
    // Where it lives: a folder's path made absolute as given, an image's
    // made canonical.
    InstallationSource source;
    // Images only: the image the file system reads and changes. First, so
    // that it outlives the file system.
    std::shared_ptr<DiskImage> image;
    std::unique_ptr<FileSystem> files;
    std::unique_ptr<WindowsDirectory> windowsDirectory;
    // The host folders behind the drive letters, for the host's file chooser.
    DriveMap drives;
    // The sentence that opens the welcome text: "Drive C: is /mnt/w98."
    std::string notice;
    // Stays the same for the same installation however it is reached, so
    // that its backups and originals are found again.
    std::string identity;
    // A short name for menus: the drive's folder name, the image's file name.
    std::string name;
    // What its own folder of backups and originals is called (see
    // startupFolderName): it must not change while the identity stays, so
    // an image's is named after its volume label, not its file.
    std::string folderName;
};

// Opens the installation whose Windows folder is `source.path`. The folder
// must exist; nothing is written. Its drive is the folder above it as given,
// links and all. Its identity is the folder's canonical path, so a link to
// it or another spelling is the same installation.
std::optional<OpenInstallation> openFolderInstallation(const InstallationSource& source,
                                                       std::string& error);

// The Windows folder of a folder the user picked: the folder itself when it
// holds Windows (WIN.COM or a SYSTEM folder), or the WINDOWS folder of a drive
// root. Nothing, with `error` set to a sentence for the user, otherwise.
std::optional<std::filesystem::path> findWindowsFolder(const std::filesystem::path& picked,
                                                       std::string& error);

// The name of an installation's own start-up folder: its name made safe for
// a folder name, "-", and a short hash of its identity, so that two
// installations with the same name never share a folder.
std::string startupFolderName(const std::string& name, const std::string& identity);

}  // namespace quenlark
