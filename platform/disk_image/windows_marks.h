#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quenlark {

// What Windows 95 and 98 keep in a FAT volume about how they left it: the
// clean-shutdown and hard-error bits of FAT entry 1 (FAT16 and FAT32; a
// cleared bit is the mark), and the dirty flag of the boot sector. ScanDisk
// goes by them at the next start, so a change leaves them as they are. No
// tool reports them all (fsck.fat folds the first and the last into one
// "dirty bit" and passes over the hard-error bit), so they are read here,
// where the boot sector says the FATs lie.
struct WindowsMarks {
    bool shutDownCleanly = true;
    bool diskErrorSeen = false;
    bool bootSectorDirty = false;
    // The bytes they are kept in, as found: entry 1 of each FAT copy and the
    // boot sector's flags.
    std::string bytes;
    // Whether the first bytes of the FAT are what mtools requires of them
    // (the media byte of the boot sector, then all bits set), the two bits
    // above left out.
    bool fatStartSound = false;
};

// The marks of the FAT volume of type `fatType` ("FAT12", "FAT16", "FAT32")
// that lies in `file` from byte `offset` on; nothing when its boot sector
// cannot be read or is not one.
std::optional<WindowsMarks> readWindowsMarks(const std::filesystem::path& file,
                                             std::uint64_t offset, const std::string& fatType);

}  // namespace quenlark
