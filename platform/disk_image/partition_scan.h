#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quenlark {

// One partition of a disk, numbered as Linux numbers them: 1 to 4 primary,
// 5 and up the logical drives of the extended partition. A FAT volume with no
// partition table is the whole disk, numbered 0.
struct DiskPartition {
    int number = 0;
    std::uint64_t offset = 0;  // bytes from the start of the disk
    std::uint64_t size = 0;    // bytes
    bool extended = false;     // the container of the logical drives
};

// What a FAT file system says about itself.
struct FatVolume {
    std::string fatType;  // "FAT12", "FAT16" or "FAT32"
    std::string serial;   // "1234-ABCD"
    std::string label;    // without trailing spaces; empty when it has none
};

// The partitions of the disk whose sectors are `disk` from its first byte
// up to `diskSize` bytes: those of its partition table, or a bare volume.
// Nothing when the file cannot be read.
std::optional<std::vector<DiskPartition>> scanPartitions(const std::filesystem::path& disk,
                                                         std::uint64_t diskSize);

// The FAT file system in a partition, or nothing when it holds none.
std::optional<FatVolume> probeFatVolume(const std::filesystem::path& disk,
                                        const DiskPartition& partition);

}  // namespace quenlark
