#pragma once

#include <string>

#include "disk_image.h"
#include "drive_map.h"
#include "file_system.h"
#include "host_file_system.h"
#include "volume_notes.h"
#include "windows_directory.h"

namespace quenlark {

// The file system with one drive in a disk image and every other drive on the
// host, as the host file system maps it (Z: is "/"). One current directory
// spans both. Copies go between the host and the image either way, and within
// the image; each change to the image is one verified transaction.
class ImageFileSystem : public FileSystem, public VolumeNotes {
  public:
    // Starts in `currentDirectory`, by default the process's working directory
    // in Windows form. `hostDrives` must not map the image's letter.
    ImageFileSystem(DiskImage& image, DriveMap hostDrives, std::string currentDirectory = {});

    // Why the last operation that failed did, as a sentence for the user.
    std::string lastFailure() const override { return lastFailure_; }
    // On the image: why the image takes no change (DiskImage::whyReadOnly).
    std::optional<std::string> whyCannotChange(const std::string& path) override;

    bool copyFile(const std::string& from, const std::string& to) override;
    bool fileExists(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    std::optional<std::uint64_t> fileLength(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    bool writeLine(const std::string& path, const std::string& line) override;
    bool writeEmptyFile(const std::string& path) override;
    std::optional<std::string> readFirstLine(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path, std::uint64_t maxBytes) override;
    std::string currentDirectory() override;
    bool setCurrentDirectory(const std::string& path) override;
    std::vector<std::string> volumeNotes(char letter) override;

  private:
    // What is at a path on the image: `found` is false when the lookup itself
    // failed (the reason is in lastFailure_). `siblings`: the folder it is in.
    struct Lookup {
        bool found = false;
        std::optional<FatEntry> entry;
        std::optional<std::vector<FatEntry>> siblings;
    };

    std::optional<WindowsPath> resolve(const std::string& path);
    bool onImage(const WindowsPath& path) const;
    Lookup lookUp(const FatPath& path);
    bool isFolder(const FatPath& path);
    std::optional<std::string> readImageFile(const FatPath& path, std::uint64_t maxBytes);
    std::optional<std::string> readAnyFile(const WindowsPath& path, std::uint64_t maxBytes);
    // Puts `content` at `path` on the image: a new file, or one that replaces
    // the file there, keeping its name and attributes.
    bool writeImageFile(const FatPath& path, const std::string& content);
    bool writeHostFile(const WindowsPath& path, const std::string& content);
    bool fail(std::string sentence);
    // The host file system's reason for its last failure, else `otherwise`.
    bool failOnHost(const std::string& otherwise);

    DiskImage& image_;
    HostFileSystem host_;
    std::string currentDirectory_;
    std::string lastFailure_;
};

// The Windows directory of the installation in the image.
class ImageWindowsDirectory : public WindowsDirectory {
  public:
    explicit ImageWindowsDirectory(const DiskImage& image) : image_(image) {}
    std::optional<std::string> query() override;
    // A look at an image must leave it as it was.
    SettingsFolder settingsFolder() const override { return SettingsFolder::StartupDirectory; }

  private:
    const DiskImage& image_;
};

}  // namespace quenlark
