#pragma once

#include <optional>
#include <string>

#include "file_system.h"
#include "store_paths.h"

namespace quenlark {

// Where Windows 95 and 98 keep the start-up logo they show when the drive has
// no logo.sys: inside IO.SYS at the drive's root ("C:\IO.SYS").
std::string ioSysPath(const StorePaths& paths);

// That logo, as a standard logo file. Nothing, with `error` set to a sentence
// for the user, when IO.SYS cannot be read or holds no logo this program can
// read (Windows ME's among them).
std::optional<std::string> readBuiltinLogo(FileSystem& files, const StorePaths& paths,
                                           std::string& error);

}  // namespace quenlark
