#pragma once

#include <string_view>

namespace quenlark {

// Texts shared by several operations on the logo files.
inline constexpr std::string_view kCopyFailedBox =
    "Error while copying file ! Is there enough space or is disk write protected ?";
inline constexpr std::string_view kCopyFailedStatus = "Error while copying file !";
inline constexpr std::string_view kRestoreFailedBox =
    "Error while restoring file ! Is there enough space or is disk write protected ?";

}  // namespace quenlark
