#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "image_format.h"
#include "tool_runner.h"

namespace quenlark::testing {

enum class PartitionLayout {
    Primary,  // partition 1 is the FAT volume
    Logical,  // partition 1 a small FAT12 volume without Windows, 5 the FAT volume
    Bare,     // a FAT volume with no partition table
};

// A disk image to make with sfdisk, mkfs.fat and mtools, as a user's
// emulator would have it.
struct ImageRecipe {
    int fatBits = 16;
    PartitionLayout layout = PartitionLayout::Primary;
    std::uint64_t megabytes = 0;  // 0: small, but what the FAT type needs
    std::string label = "W98";
    std::string serial = "1234ABCD";
    // Files by their path on the volume ("WINDOWS/LOGOW.SYS"); folders are
    // made as needed.
    std::map<std::string, std::string> files;
    // Of those, the files that are hidden, system and read-only (MSDOS.SYS).
    std::set<std::string> protectedFiles;
};

// What Windows 95 and 98 leave on a disk they have used, and ScanDisk mends at
// the next start.
enum class Imperfection {
    NotShutDownCleanly,  // FAT16, FAT32: the clean-shutdown bit of FAT entry 1 cleared
    DiskErrorSeen,       // FAT16, FAT32: its hard-error bit cleared
    DirtyBootSector,     // the boot sector's dirty flag set
    LostClusters,        // FAT16, FAT32: two clusters in use by no file
    StaleFreeCount,      // FAT32: the free-cluster count of FSInfo out of date
    UnknownFreeCount,    // FAT32: no free-cluster count kept
    StampedBootSector,   // FAT32: Windows' name in the boot sector, not in its backup
};

// A made image and where its FAT volume lies in its disk.
struct MadeImage {
    std::filesystem::path file;
    ImageFormat format = ImageFormat::Raw;
    int partition = 1;  // 0 for a bare volume
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// Makes images in `folder` and looks into them without the code under test.
class ImageMaker {
  public:
    explicit ImageMaker(std::filesystem::path folder);

    MadeImage makeRaw(const std::string& name, const ImageRecipe& recipe);
    // The same disk in another format, through qemu-img.
    MadeImage convert(const MadeImage& raw, ImageFormat format, const std::string& name);
    // Leaves a raw image fresh from makeRaw as Windows would: the bytes
    // changed where the boot sector (read by minfo) says they lie.
    void giveImperfections(const MadeImage& raw, const std::set<Imperfection>& imperfections);

    // A file of the volume (by mtools, from the disk converted to raw), or
    // nothing when it is not there.
    std::optional<std::string> readFile(const MadeImage& image, const std::string& path);
    // What fsck.fat -n finds in the volume: empty when it is clean.
    std::string fsckFindings(const MadeImage& image);
    // The bytes Windows keeps its marks in, found where fsck.fat says the
    // FATs lie: the boot sector's flags and entry 1 of each FAT.
    std::string windowsMarks(const MadeImage& image);

    const ToolEnvironment& environment() const { return environment_; }
    // Runs a tool and throws when it fails.
    std::string run(const std::string& program, const std::vector<std::string>& arguments,
                    const std::filesystem::path& input = "/dev/null");

  private:
    std::filesystem::path rawCopy(const MadeImage& image);
    // The FAT volume alone, as a file of its own.
    std::filesystem::path volumeCopy(const MadeImage& image);

    std::filesystem::path folder_;
    ToolEnvironment environment_;
    int scratchCount_ = 0;
};

// The whole content of a host file.
std::string fileContent(const std::filesystem::path& file);

// The number that follows the first `label` in a tool's output (spaces
// between them skipped), such as 4222 in "start=   4222"; throws when there
// is none.
std::uint64_t numberAfter(const std::string& text, const std::string& label);

}  // namespace quenlark::testing
