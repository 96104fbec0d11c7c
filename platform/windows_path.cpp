#include "windows_path.h"

#include <cctype>

namespace quenlark {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool hasDrive(std::string_view p) {
    return p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]));
}

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

void appendNames(std::string_view text, std::vector<std::string>& names) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = start;
        while (end < text.size() && !isSeparator(text[end]))
            ++end;
        std::string_view name = text.substr(start, end - start);
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.emplace_back(name);
        }
        start = end + 1;
    }
}

}  // namespace

std::string WindowsPath::text() const {
    std::string out{drive, ':', '\\'};
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            out += '\\';
        out += names[i];
    }
    return out;
}

std::optional<WindowsPath> parseWindowsPath(std::string_view path,
                                            std::string_view currentDirectory) {
    // Windows reads a path up to its NUL. Kept, a NUL would cut the host path
    // short at the system call instead: "C:\..<NUL>" would be the folder
    // above the drive while its names said the drive root.
    path = path.substr(0, path.find('\0'));
    currentDirectory = currentDirectory.substr(0, currentDirectory.find('\0'));
    WindowsPath result;
    if (hasDrive(path)) {
        result.drive = upper(path[0]);
        std::string_view rest = path.substr(2);
        // "C:name" is relative to the current folder of that drive; we keep one
        // current folder only, so it counts when it is on the same drive.
        if (!rest.empty() && !isSeparator(rest[0]) && hasDrive(currentDirectory) &&
            upper(currentDirectory[0]) == result.drive) {
            appendNames(currentDirectory.substr(2), result.names);
        }
        appendNames(rest, result.names);
        return result;
    }
    if (!hasDrive(currentDirectory))
        return std::nullopt;
    result.drive = upper(currentDirectory[0]);
    // "\name" starts at the root of the current drive.
    if (path.empty() || !isSeparator(path[0]))
        appendNames(currentDirectory.substr(2), result.names);
    appendNames(path, result.names);
    return result;
}

std::string windowsParentFolder(std::string_view path) {
    std::size_t cut = path.find_last_of("\\/");
    if (cut == std::string_view::npos)
        return {};
    // Keep the backslash of a drive root: "C:\a.bmp" -> "C:\".
    if (cut == 2 && hasDrive(path))
        return std::string(path.substr(0, 3));
    return std::string(path.substr(0, cut));
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace quenlark
