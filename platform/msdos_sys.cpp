#include "msdos_sys.h"

#include "windows_path.h"

namespace quenlark {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::optional<std::vector<std::string>> windowsFolderInMsdosSys(std::string_view content) {
    bool inPaths = false;
    while (!content.empty()) {
        const auto end = content.find_first_of("\r\n");
        const auto line = trimmed(content.substr(0, end));
        content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
        if (!line.empty() && line.front() == '[') {
            inPaths = sameNameIgnoringCase(line, "[Paths]");
            continue;
        }
        const auto equals = line.find('=');
        if (!inPaths || equals == std::string_view::npos ||
            !sameNameIgnoringCase(trimmed(line.substr(0, equals)), "WinDir"))
            continue;
        // WinDir names the folder on the boot drive, whatever letter it had.
        auto parsed = parseWindowsPath(trimmed(line.substr(equals + 1)), "C:\\");
        if (!parsed || parsed->names.empty())
            return std::nullopt;
        return parsed->names;
    }
    return std::nullopt;
}

}  // namespace quenlark
