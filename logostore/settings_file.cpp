#include "settings_file.h"

namespace quenlark {

bool writeSettingsFile(FileSystem& files, const std::string& path, const std::string& folder) {
    return files.writeLine(path, std::string(kSettingsKey) + folder);
}

std::optional<std::string> readRememberedFolder(FileSystem& files, const std::string& path) {
    auto line = files.readFirstLine(path);
    if (!line)
        return std::nullopt;
    return dropCharacters(*line, kSettingsKey.size());
}

std::optional<std::string> dropCharacters(const std::string& line, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t dropped = 0; dropped < count; ++dropped) {
        if (at >= line.size())
            return std::nullopt;
        ++at;
        // Continuation bytes of a UTF-8 sequence belong to the same character.
        while (at < line.size() && (static_cast<unsigned char>(line[at]) & 0xC0) == 0x80)
            ++at;
    }
    return line.substr(at);
}

}  // namespace quenlark
