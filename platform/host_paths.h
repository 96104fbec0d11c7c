#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "drive_map.h"

namespace quenlark {

// How Windows paths lead to host files, for starting host programs.
class HostPaths {
  public:
    virtual ~HostPaths() = default;
    // The host file a Windows path names (relative to the current directory,
    // without regard to letter case); nothing off the host's drives.
    virtual std::optional<std::filesystem::path> hostPath(const std::string& windowsPath) const = 0;
    virtual const DriveMap& drives() const = 0;
};

}  // namespace quenlark
