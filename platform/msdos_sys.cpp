#include "msdos_sys.h"

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

MsdosSys::MsdosSys(std::string_view content) {
    if (content.find('\0') != std::string_view::npos)
        return;
    content = content.substr(0, content.find('\x1a'));
    std::string section;
    while (!content.empty()) {
        const auto end = content.find_first_of("\r\n");
        const auto line = trimmed(content.substr(0, end));
        content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
        if (!line.empty() && line.front() == '[') {
            const auto close = line.find(']');
            section = trimmed(line.substr(1, close == std::string_view::npos ? close : close - 1));
            continue;
        }
        // Comments (";") and the lines of x that pad the file have no "=".
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || line.front() == ';')
            continue;
        settings_.push_back({section, std::string(trimmed(line.substr(0, equals))),
                             std::string(trimmed(line.substr(equals + 1)))});
    }
}

std::optional<std::string> MsdosSys::value(std::string_view section, std::string_view key) const {
    for (const Setting& s : settings_)
        if (sameNameIgnoringCase(s.section, section) && sameNameIgnoringCase(s.key, key))
            return s.value;
    return std::nullopt;
}

std::optional<WindowsPath> MsdosSys::windowsFolder() const {
    const auto named = value("Paths", "WinDir");
    if (!named)
        return std::nullopt;
    auto parsed = parseWindowsPath(*named, "C:\\");
    if (!parsed || parsed->names.empty())
        return std::nullopt;
    return parsed;
}

}  // namespace quenlark
