#include "windows_marks.h"

#include <fcntl.h>
#include <unistd.h>
#include <array>

namespace quenlark {

namespace {

// The boot sector's fields that say where the FATs lie (the BIOS parameter
// block), and where the flags byte lies for each kind of FAT.
constexpr std::size_t kBytesPerSector = 11;
constexpr std::size_t kReservedSectors = 14;
constexpr std::size_t kFatCount = 16;
constexpr std::size_t kMediaByte = 21;
constexpr std::size_t kSectorsPerFat16 = 22;
constexpr std::size_t kSectorsPerFat32 = 36;
constexpr std::size_t kFlags16 = 0x25;
constexpr std::size_t kFlags32 = 0x41;
constexpr unsigned char kDirtyFlag = 0x01;
// FAT entry 1: bit 15 (FAT16) or 27 (FAT32) set while the volume was shut
// down cleanly, bit 14 or 26 while no disk error was met.
constexpr std::uint32_t kClean16 = 0x8000, kNoError16 = 0x4000;
constexpr std::uint32_t kClean32 = 0x08000000, kNoError32 = 0x04000000;
constexpr unsigned kMostFats = 4;

std::uint32_t littleEndian(const unsigned char* p, std::size_t bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = bytes; i > 0; --i)
        value = (value << 8) | p[i - 1];
    return value;
}

bool readAt(int fd, unsigned char* into, std::size_t length, std::uint64_t at) {
    return ::pread(fd, into, length, static_cast<off_t>(at)) == static_cast<ssize_t>(length);
}

}  // namespace

std::optional<WindowsMarks> readWindowsMarks(const std::filesystem::path& file,
                                             std::uint64_t offset, const std::string& fatType) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::array<unsigned char, 512> boot{};
    const bool fat32 = fatType == "FAT32";
    const bool fat16 = fatType == "FAT16";
    std::optional<WindowsMarks> marks;
    if (readAt(fd, boot.data(), boot.size(), offset)) {
        const std::uint32_t sectorSize = littleEndian(&boot[kBytesPerSector], 2);
        const std::uint32_t reserved = littleEndian(&boot[kReservedSectors], 2);
        const unsigned fats = boot[kFatCount];
        const std::uint32_t fatSectors = fat32 ? littleEndian(&boot[kSectorsPerFat32], 4)
                                               : littleEndian(&boot[kSectorsPerFat16], 2);
        const bool sane =
            (sectorSize == 512 || sectorSize == 1024 || sectorSize == 2048 || sectorSize == 4096) &&
            reserved > 0 && fats > 0 && fats <= kMostFats && fatSectors > 0;
        if (sane) {
            marks.emplace();
            const unsigned char flags = boot[fat32 ? kFlags32 : kFlags16];
            marks->bootSectorDirty = (flags & kDirtyFlag) != 0;
            marks->bytes.push_back(static_cast<char>(flags));
            const std::size_t entryBytes = fat32 ? 4 : fat16 ? 2 : 0;
            for (unsigned copy = 0; copy < fats && marks; ++copy) {
                std::array<unsigned char, 8> start{};
                const std::uint64_t at =
                    offset +
                    (std::uint64_t(reserved) + std::uint64_t(copy) * fatSectors) * sectorSize;
                if (!readAt(fd, start.data(), start.size(), at)) {
                    marks.reset();
                    break;
                }
                marks->bytes.append(reinterpret_cast<const char*>(&start[entryBytes]), entryBytes);
                if (copy != 0)
                    continue;
                // mtools reads entry 0 and the start of entry 1; the bits
                // Windows clears lie in its last byte on FAT16.
                const unsigned char windowsBits16 = 0xC0;
                marks->fatStartSound = start[0] == boot[kMediaByte] && start[1] == 0xff &&
                                       start[2] == 0xff &&
                                       (!fat16 || (start[3] | windowsBits16) == 0xff);
                if (entryBytes == 0)
                    continue;
                const std::uint32_t entry = littleEndian(&start[entryBytes], entryBytes);
                marks->shutDownCleanly = (entry & (fat32 ? kClean32 : kClean16)) != 0;
                marks->diskErrorSeen = (entry & (fat32 ? kNoError32 : kNoError16)) == 0;
            }
        }
    }
    ::close(fd);
    return marks;
}

}  // namespace quenlark
