#include "machine_reader.h"

#include <cctype>
#include <cstdlib>
#include <system_error>

#include "config_file.h"
#include "readers.h"
#include "windows_path.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

// An XDG base folder as freedesktop.org defines it: the variable when it holds an
// absolute path, else the default below the home folder.
fs::path xdgFolder(const char* variable, const fs::path& fallback) {
    const char* value = std::getenv(variable);
    if (value && value[0] == '/')
        return value;
    return fallback;
}

}  // namespace

FinderPlaces userFinderPlaces() {
    FinderPlaces places;
    const char* home = std::getenv("HOME");
    places.home = home && home[0] == '/' ? fs::path(home) : fs::path("/");
    places.configHome = xdgFolder("XDG_CONFIG_HOME", places.home / ".config");
    places.dataHome = xdgFolder("XDG_DATA_HOME", places.home / ".local/share");
    if (const char* vbox = std::getenv("VBOX_USER_HOME"); vbox && vbox[0] == '/')
        places.virtualBoxHome = fs::path(vbox);
    return places;
}

std::vector<std::unique_ptr<MachineReader>> allMachineReaders() {
    std::vector<std::unique_ptr<MachineReader>> readers;
    readers.push_back(std::make_unique<Reader86Box>());
    readers.push_back(std::make_unique<ReaderPcem>());
    readers.push_back(std::make_unique<ReaderVirtualBox>());
    readers.push_back(std::make_unique<ReaderLibvirt>());
    readers.push_back(std::make_unique<ReaderDosboxX>());
    readers.push_back(std::make_unique<ReaderBochs>());
    readers.push_back(std::make_unique<ReaderSearchFolders>());
    return readers;
}

fs::path hostPathFromConfig(std::string_view written, const fs::path& base, const fs::path& home) {
    std::string text(written);
    if (text.empty())
        return {};
    for (char& c : text)
        if (c == '\\')
            c = '/';
    if (text == "~" || text.rfind("~/", 0) == 0)
        return (home / text.substr(text.size() > 1 ? 2 : 1)).lexically_normal();
    const bool driveLetter =
        text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0]));
    if (driveLetter) {
        if (text[0] == 'Z' || text[0] == 'z')
            return fs::path("/" + text.substr(2)).lexically_normal();
        const auto parsed = parseWindowsPath(text);
        if (!parsed || parsed->names.empty())
            return {};
        return (base / parsed->names.back()).lexically_normal();
    }
    const fs::path path(text);
    return (path.is_absolute() ? path : base / path).lexically_normal();
}

std::optional<std::string> readMachineFile(const fs::path& file, std::vector<std::string>& notes) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(file, ec)))
        return std::nullopt;
    std::string why;
    auto text = readConfigFile(file, why);
    if (!text)
        notes.push_back(why);
    return text;
}

}  // namespace quenlark
