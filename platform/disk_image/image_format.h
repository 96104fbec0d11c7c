#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>

namespace quenlark {

enum class ImageFormat { Raw, FixedVhd, DynamicVhd, FixedVdi, DynamicVdi, Qcow2, Vmdk };

// The name qemu's tools know the format by ("raw", "vpc", "vdi", ...).
// Always given to them: their probing takes a fixed VHD for a raw image.
std::string qemuFormatName(ImageFormat format);

// Whether mtools can read the partitions straight from the file: the
// sectors lie in it as on the disk, from its first byte.
bool holdsSectorsInPlace(ImageFormat format);

// What a file's format is told by: its first and its last sector (zeros
// where the file is shorter) and its size.
struct ImageEnds {
    std::array<unsigned char, 512> head{};
    std::array<unsigned char, 512> tail{};
    std::uint64_t size = 0;
};

// The format `ends` are in, or the sentence that says why the file, shown as
// `shown`, is not opened: a differencing disk, a VMDK whose contents lie in
// other files. qemu would follow what such a header names before anything of
// ours could look at it.
std::variant<ImageFormat, std::string> classifyImage(const ImageEnds& ends,
                                                     const std::string& shown);

// The format of the file `image`, or why it is not opened: the reasons of
// classifyImage, or a file that cannot be read or is no ordinary file (a
// FIFO, a socket, a device), which is refused without waiting on it.
std::variant<ImageFormat, std::string> detectImageFormat(const std::filesystem::path& image);

}  // namespace quenlark
