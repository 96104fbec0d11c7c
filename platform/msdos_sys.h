#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenlark {

// The Windows folder that MSDOS.SYS at a drive's root names: the WinDir= of
// its [Paths] section, as the names below the drive root ("C:\WIN95" gives
// {"WIN95"}). Nothing when it names none: a DOS-era MSDOS.SYS is the DOS
// kernel itself, with no text at all.
std::optional<std::vector<std::string>> windowsFolderInMsdosSys(std::string_view content);

}  // namespace quenlark
