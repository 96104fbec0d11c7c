#pragma once

#include <filesystem>

namespace quenlark {

// Whether anything is mounted on `mountPoint`, as this process's mount table
// says. It never looks through the mount: a FUSE export whose daemon has died
// or is dying answers a stat late, or with an error that says as little as
// "not connected" or "connection aborted".
bool isMountPoint(const std::filesystem::path& mountPoint);

}  // namespace quenlark
