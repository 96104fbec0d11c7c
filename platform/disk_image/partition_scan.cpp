#include "partition_scan.h"

#include <blkid/blkid.h>
#include <fcntl.h>
#include <unistd.h>

namespace quenlark {

namespace {

constexpr std::uint64_t kSector = 512;

// An open file and a libblkid probe over part of it, released on every way out.
class Probe {
  public:
    Probe(const std::filesystem::path& file, std::uint64_t offset, std::uint64_t size)
        : fd_(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
        if (fd_ < 0)
            return;
        probe_ = blkid_new_probe();
        if (probe_ && blkid_probe_set_device(probe_, fd_, static_cast<blkid_loff_t>(offset),
                                             static_cast<blkid_loff_t>(size)) != 0) {
            blkid_free_probe(probe_);
            probe_ = nullptr;
        }
    }
    ~Probe() {
        if (probe_)
            blkid_free_probe(probe_);
        if (fd_ >= 0)
            ::close(fd_);
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    blkid_probe get() const { return probe_; }

    std::string value(const char* name) const {
        const char* data = nullptr;
        if (blkid_probe_lookup_value(probe_, name, &data, nullptr) != 0 || !data)
            return {};
        return data;
    }

  private:
    int fd_;
    blkid_probe probe_ = nullptr;
};

bool isFat(const Probe& probe) {
    return probe.value("TYPE") == "vfat" || probe.value("TYPE") == "msdos";
}

std::string trimmedRight(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

}  // namespace

std::optional<std::vector<DiskPartition>> scanPartitions(const std::filesystem::path& disk,
                                                         std::uint64_t diskSize) {
    Probe probe(disk, 0, diskSize);
    if (!probe.get())
        return std::nullopt;
    blkid_probe_enable_partitions(probe.get(), 1);
    blkid_probe_enable_superblocks(probe.get(), 1);
    blkid_probe_set_superblocks_flags(probe.get(), BLKID_SUBLKS_TYPE);
    if (blkid_do_safeprobe(probe.get()) < 0)
        return std::nullopt;

    std::vector<DiskPartition> partitions;
    blkid_partlist list = blkid_probe_get_partitions(probe.get());
    const int count = list ? blkid_partlist_numof_partitions(list) : 0;
    for (int i = 0; i < count; ++i) {
        blkid_partition part = blkid_partlist_get_partition(list, i);
        DiskPartition p;
        p.number = blkid_partition_get_partno(part);
        p.offset = static_cast<std::uint64_t>(blkid_partition_get_start(part)) * kSector;
        p.size = static_cast<std::uint64_t>(blkid_partition_get_size(part)) * kSector;
        p.extended = blkid_partition_is_extended(part) != 0;
        partitions.push_back(p);
    }
    if (partitions.empty() && isFat(probe))
        partitions.push_back({0, 0, diskSize, false});
    return partitions;
}

std::optional<FatVolume> probeFatVolume(const std::filesystem::path& disk,
                                        const DiskPartition& partition) {
    if (partition.extended)
        return std::nullopt;
    Probe probe(disk, partition.offset, partition.size);
    if (!probe.get())
        return std::nullopt;
    blkid_probe_enable_partitions(probe.get(), 0);
    blkid_probe_enable_superblocks(probe.get(), 1);
    blkid_probe_set_superblocks_flags(probe.get(), BLKID_SUBLKS_TYPE | BLKID_SUBLKS_LABEL |
                                                       BLKID_SUBLKS_UUID | BLKID_SUBLKS_VERSION);
    if (blkid_do_safeprobe(probe.get()) != 0 || !isFat(probe))
        return std::nullopt;
    return FatVolume{probe.value("VERSION"), probe.value("UUID"),
                     trimmedRight(probe.value("LABEL"))};
}

}  // namespace quenlark
