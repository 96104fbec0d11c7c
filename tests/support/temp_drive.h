#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "windows_directory.h"

namespace quenlark::testing {

// A Windows drive in a fresh temporary folder: drive C: with a WINDOWS folder
// and a TOOLS folder to start the program from. Removed again at the end.
class TempDrive {
  public:
    // In `parent`, by default the system's temporary folder.
    explicit TempDrive(
        const std::filesystem::path& parent = std::filesystem::temp_directory_path());
    ~TempDrive();
    TempDrive(const TempDrive&) = delete;
    TempDrive& operator=(const TempDrive&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path windows() const { return root_ / "WINDOWS"; }
    std::filesystem::path tools() const { return root_ / "TOOLS"; }
    HostInstallation installation() const { return {windows(), 'C'}; }

    // Writes `content` to the host file `path`, creating its folders.
    static void put(const std::filesystem::path& path, std::string_view content);
    // The whole content, or "<missing>".
    static std::string read(const std::filesystem::path& path);

  private:
    std::filesystem::path base_;
    std::filesystem::path root_;
};

// A folder in memory (/dev/shm) where there is one, else the temporary
// folder: harnesses that write thousands of files stay fast on it, because
// the platform flushes every file it writes to the disk.
std::filesystem::path fastTemporaryFolder();

// A stand-in logo: "BM", a tag to tell logos apart, padded to `size` bytes.
std::string logoBytes(std::string_view tag, std::size_t size = 129078);

}  // namespace quenlark::testing
