#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "windows_path.h"

namespace quenlark {

// Which host folder stands for which Windows drive. Z: is always the host's
// root "/", so every host path has a Windows form (Wine does the same).
class DriveMap {
  public:
    DriveMap();

    // Maps `letter` to the host folder `root` (made absolute). Z: may be remapped.
    void map(char letter, const std::filesystem::path& root);

    std::optional<std::filesystem::path> root(char letter) const;

    // The Windows form of a host path, through the longest matching drive root:
    // "/mnt/w98/WINDOWS" gives "C:\WINDOWS" when C: is /mnt/w98.
    std::string toWindows(const std::filesystem::path& hostPath) const;

    // The host file a Windows path names. Each name is looked up without regard
    // to letter case (an exact spelling wins); a name that does not exist keeps
    // the spelling given, so that it can be created. Nothing for an unmapped drive.
    std::optional<std::filesystem::path> toHost(const WindowsPath& path) const;

  private:
    std::map<char, std::filesystem::path> roots_;
};

// Looks `name` up in the host folder `folder` without regard to letter case.
// An exact match wins; among several case-insensitive matches the first in
// byte order, so the answer does not depend on directory order.
std::optional<std::string> findNameIgnoringCase(const std::filesystem::path& folder,
                                                const std::string& name);

}  // namespace quenlark
