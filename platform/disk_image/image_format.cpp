#include "image_format.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <array>
#include <cstring>
#include <string_view>

#include "ordinary_file.h"

namespace quenlark {

namespace {

constexpr std::size_t kSector = 512;

// The VHD footer (at the end; a dynamic disk keeps a copy at the start) and
// the VDI header: where the magic and the disk type lie, and the type that
// marks a differencing disk, which needs its parent to be read right.
constexpr std::string_view kVhdCookie = "conectix";
constexpr std::size_t kVhdDiskTypeOffset = 60;
constexpr std::uint32_t kVhdFixed = 2, kVhdDynamic = 3, kVhdDifferencing = 4;
constexpr std::size_t kVdiSignatureOffset = 0x40;
constexpr std::uint32_t kVdiSignature = 0xbeda107f;
constexpr std::size_t kVdiImageTypeOffset = 0x4c;
constexpr std::uint32_t kVdiDynamic = 1, kVdiFixed = 2, kVdiDifferencing = 4;
constexpr std::string_view kQcow2Magic = "QFI\xfb";
constexpr std::string_view kVmdkSparseMagic = "KDMV";
constexpr std::string_view kVmdkDescriptor = "# Disk DescriptorFile";
// A sparse VMDK's size in sectors and where its descriptor lies. With no size
// but a descriptor, QEMU reads the disk as that descriptor's extents, which
// may be any files.
constexpr std::size_t kVmdkCapacityOffset = 12;
constexpr std::size_t kVmdkDescriptorOffset = 28;

std::uint32_t bigEndian32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}

std::uint32_t littleEndian32(const unsigned char* p) {
    return (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) |
           std::uint32_t(p[0]);
}

std::uint64_t littleEndian64(const unsigned char* p) {
    return (std::uint64_t(littleEndian32(p + 4)) << 32) | littleEndian32(p);
}

bool startsWith(const std::array<unsigned char, kSector>& block, std::string_view magic,
                std::size_t at = 0) {
    return std::memcmp(block.data() + at, magic.data(), magic.size()) == 0;
}

bool readAt(int fd, std::array<unsigned char, kSector>& block, off_t offset) {
    block.fill(0);
    return ::pread(fd, block.data(), block.size(), offset) >= 0;
}

}  // namespace

std::string qemuFormatName(ImageFormat format) {
    switch (format) {
        case ImageFormat::Raw:
            return "raw";
        case ImageFormat::FixedVhd:
        case ImageFormat::DynamicVhd:
            return "vpc";
        case ImageFormat::FixedVdi:
        case ImageFormat::DynamicVdi:
            return "vdi";
        case ImageFormat::Qcow2:
            return "qcow2";
        case ImageFormat::Vmdk:
            return "vmdk";
    }
    return "raw";
}

bool holdsSectorsInPlace(ImageFormat format) {
    return format == ImageFormat::Raw || format == ImageFormat::FixedVhd;
}

std::variant<ImageFormat, std::string> detectImageFormat(const std::filesystem::path& image) {
    std::string whyNot;
    const int fd = openOrdinaryFile(image, O_RDONLY, "The disk image " + image.string(), whyNot);
    if (fd < 0)
        return whyNot;
    struct stat info {};
    ImageEnds ends;
    const bool read =
        ::fstat(fd, &info) == 0 && readAt(fd, ends.head, 0) &&
        (info.st_size < off_t(kSector) || readAt(fd, ends.tail, info.st_size - kSector));
    const int readError = errno;
    ::close(fd);
    if (!read)
        return "The disk image " + image.string() + " cannot be read (" + std::strerror(readError) +
               ").";
    ends.size = static_cast<std::uint64_t>(info.st_size);
    return classifyImage(ends, image.string());
}

std::variant<ImageFormat, std::string> classifyImage(const ImageEnds& ends,
                                                     const std::string& shown) {
    const auto& head = ends.head;
    const auto& tail = ends.tail;
    const std::string named = "The disk image " + shown;
    if (startsWith(head, kQcow2Magic))
        return ImageFormat::Qcow2;
    if (startsWith(head, kVmdkSparseMagic)) {
        if (littleEndian64(head.data() + kVmdkCapacityOffset) == 0 &&
            littleEndian64(head.data() + kVmdkDescriptorOffset) != 0)
            return named +
                   " is a VMDK whose header leaves its contents to a descriptor of other files; "
                   "only a VMDK in one file (monolithic) can be opened.";
        return ImageFormat::Vmdk;
    }
    if (startsWith(head, kVmdkDescriptor))
        return named +
               " is a VMDK made of several files; only a VMDK in one file (monolithic) can be "
               "opened.";
    if (littleEndian32(head.data() + kVdiSignatureOffset) == kVdiSignature) {
        const auto type = littleEndian32(head.data() + kVdiImageTypeOffset);
        if (type == kVdiDynamic)
            return ImageFormat::DynamicVdi;
        if (type == kVdiFixed)
            return ImageFormat::FixedVdi;
        if (type == kVdiDifferencing)
            return named +
                   " is a differencing VDI, which holds only the changes to another image; open "
                   "the image it is based on, or merge them first.";
        return named + " is a kind of VDI that cannot be opened.";
    }
    if (startsWith(tail, kVhdCookie) || startsWith(head, kVhdCookie)) {
        const auto& footer = startsWith(tail, kVhdCookie) ? tail : head;
        const auto type = bigEndian32(footer.data() + kVhdDiskTypeOffset);
        if (type == kVhdFixed)
            return ImageFormat::FixedVhd;
        if (type == kVhdDynamic)
            return ImageFormat::DynamicVhd;
        if (type == kVhdDifferencing)
            return named +
                   " is a differencing VHD, which holds only the changes to another image; open "
                   "the image it is based on, or merge them first.";
        return named + " is a kind of VHD that cannot be opened.";
    }
    return ImageFormat::Raw;
}

}  // namespace quenlark
