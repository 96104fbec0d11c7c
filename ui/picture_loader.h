#pragma once

#include <QImage>
#include <optional>
#include <string>

#include "file_system.h"

namespace quenlark {

// Loads the picture in the file at `windowsPath`, whatever its extension
// (.sys, .qnk, .ori, .TMP): the bytes come through `files`, so the file may
// live wherever the file system keeps it. Nothing when the file cannot be read
// or is no picture that Qt can decode.
std::optional<QImage> loadPicture(FileSystem& files, const std::string& windowsPath);

// The picture in `bytes`, read from such a file; nothing when Qt cannot
// decode it.
std::optional<QImage> decodePicture(const std::string& bytes);

// Larger files are refused unread: no logo comes near it.
inline constexpr std::uint64_t kLargestPicture = 64 * 1024 * 1024;

}  // namespace quenlark
