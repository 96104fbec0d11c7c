#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenlark {

// A Windows path taken apart: drive letter (upper case) and the folder and file
// names below the drive root. "." and ".." are resolved, empty names dropped.
struct WindowsPath {
    char drive = 'C';
    std::vector<std::string> names;

    // "C:\WINDOWS\logow.sys"; the bare drive root is "C:\".
    std::string text() const;
};

// Parses `path`, resolving a relative one against `currentDirectory` (itself an
// absolute Windows path). Both separators are accepted, as Windows does, and
// each text ends at its first NUL, as it does for Windows.
// Returns nothing when neither gives a drive.
std::optional<WindowsPath> parseWindowsPath(std::string_view path,
                                            std::string_view currentDirectory = {});

// The folder part of a Windows path as Windows keeps it: "C:\PICS\a.bmp" gives
// "C:\PICS", "C:\a.bmp" gives "C:\".
std::string windowsParentFolder(std::string_view path);

// ASCII case folding, as the FAT file system compares names.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace quenlark
