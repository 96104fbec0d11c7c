#pragma once

#include <string>

#include "host_paths.h"
#include "installation.h"

namespace quenlark {

// The installation the program manages now. The window keeps references to
// its file system, Windows directory and drive map for its whole life, while
// the user may switch to another installation: those references stay valid
// and reach whichever installation is open.
class CurrentInstallation : public FileSystem, public WindowsDirectory, public HostPaths {
  public:
    explicit CurrentInstallation(OpenInstallation installation);

    // From now on, everything reaches `installation`.
    void switchTo(OpenInstallation installation);

    const OpenInstallation& installation() const { return current_; }
    const DriveMap& drives() const override { return drives_; }
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
    std::string lastFailure() const override;
    std::optional<std::string> whyCannotChange(const std::string& path) override;

    std::optional<std::string> query() override;
    SettingsFolder settingsFolder() const override;

  private:
    OpenInstallation current_;
    // A copy of the current drive map at a fixed address.
    DriveMap drives_;
};

}  // namespace quenlark
