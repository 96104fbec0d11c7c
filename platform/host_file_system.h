#pragma once

#include <filesystem>

#include "drive_map.h"
#include "file_system.h"
#include "host_paths.h"

namespace quenlark {

// The file system on the host, reached through a drive map. The current
// directory is kept here, not by chdir, so the process's own stays put.
//
// Only regular files are read (a FIFO or a device is refused without waiting
// for it), and nothing is written outside the host folder of a drive: a link
// inside a drive's folder that leads elsewhere is read through, never
// written through. Z: is the host's root, so anything may be written there.
class HostFileSystem : public FileSystem, public HostPaths {
  public:
    // Starts in `currentDirectory`, by default the process's working directory
    // in Windows form.
    explicit HostFileSystem(DriveMap drives, std::string currentDirectory = {});

    const DriveMap& drives() const override { return drives_; }

    // The host file that a Windows path names (case-insensitive lookup).
    std::optional<std::filesystem::path> hostPath(const std::string& windowsPath) const override;

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
    // Names the host file or folder and the system's reason.
    std::string lastFailure() const override { return lastFailure_; }
    std::optional<std::string> whyCannotChange(const std::string& path) override;

  private:
    bool fail(std::string sentence);
    // The host file a change may be made to; nothing, with the failure set,
    // when the path names none or leads off its drive.
    std::optional<std::filesystem::path> changeable(const std::string& windowsPath);
    std::optional<std::string> leadsOffItsDrive(const std::string& windowsPath) const;

    DriveMap drives_;
    std::string currentDirectory_;
    std::string lastFailure_;
};

}  // namespace quenlark
