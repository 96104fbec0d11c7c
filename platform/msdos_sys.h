#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "windows_path.h"

namespace quenlark {

// Windows 9x keeps its boot settings in MSDOS.SYS at the root of the boot
// drive: a text file of "[Section]" lines and "Key=Value" lines below them
// (CR LF or LF), hidden, system and read-only. A DOS-era MSDOS.SYS is the DOS
// kernel itself, a binary file with no settings at all.
class MsdosSys {
  public:
    // The settings in `content`; none when it is no text (it holds a NUL).
    // The text ends at a Ctrl-Z, as DOS text does.
    explicit MsdosSys(std::string_view content);

    // The value of `key` in `section` ("Paths", "WinDir"), spaces around it
    // taken off; names are compared without regard to letter case. The first
    // of several wins. Nothing when the file does not set it.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // The Windows folder that WinDir of [Paths] names ("C:\WIN95"), read as
    // on the boot drive C: when it names no drive. Nothing when it names no
    // folder below a drive root.
    std::optional<WindowsPath> windowsFolder() const;

  private:
    struct Setting {
        std::string section;
        std::string key;
        std::string value;
    };
    std::vector<Setting> settings_;
};

// MSDOS.SYS as Windows 9x writes it is a few KB at most (padded to more than
// 1024 bytes); DOS's kernel of that name is some tens of kilobytes and holds
// no settings. Anything larger than this is not worth reading for them.
inline constexpr std::uint64_t kLargestMsdosSys = 64 * 1024;

}  // namespace quenlark
