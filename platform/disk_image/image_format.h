#pragma once

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

// The format a file is in, read from its own header or footer, or the
// sentence that says why it is not opened (a differencing disk, a VMDK split
// into several files, a file that cannot be read).
std::variant<ImageFormat, std::string> detectImageFormat(const std::filesystem::path& image);

}  // namespace quenlark
