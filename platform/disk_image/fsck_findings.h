#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quenlark {

// One thing `fsck.fat -n` reports about a FAT volume.
struct FsckFinding {
    enum class Kind {
        Dirty,              // the clean-shutdown bit or the boot sector's dirty flag
        BootSectorDiffers,  // the boot sector and its backup differ
        FreeCountWrong,     // FAT32's record of the free clusters is out of date
        FreeCountUnknown,   // ... or was never kept
        LostClusters,       // clusters in use that no file holds
        Other,              // anything else: damage ScanDisk would have to repair
    };
    Kind kind = Kind::Other;
    // As fsck.fat printed it, its lines joined by spaces.
    std::string text;
    // Lost clusters: how many, and their bytes.
    std::uint64_t clusters = 0;
    std::uint64_t bytes = 0;
};

// What a run of `fsck.fat -n` said: its findings, or that it could not check
// the volume at all (it stopped on an error, or did not end as a check ends).
struct FsckReport {
    bool complete = false;
    std::vector<FsckFinding> findings;
    std::string failure;  // why it is not complete
};

// Reads fsck.fat's standard output and error.
FsckReport parseFsckReport(const std::string& out, const std::string& err);

// The findings of `after` that `before` did not have. A finding counts as
// the same when only its numbers moved (a free-cluster count a change went on
// adjusting, a size), but lost clusters that grew in number, and a boot
// sector that differs from its backup in more places, are new.
std::vector<FsckFinding> findingsAdded(const std::vector<FsckFinding>& before,
                                       const std::vector<FsckFinding>& after);

}  // namespace quenlark
