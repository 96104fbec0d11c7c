// Bochs reads its machine from a bochsrc; each hard disk is one line such as
//   ata0-master: type=disk, path="c.img", mode=flat
// Spaces outside quotes do not count, '#' starts a comment, and $NAME is the
// environment variable NAME, as Bochs reads it. Bochs opens a relative path
// from the folder it was started in; the bochsrc's own is the likeliest.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>

#include "readers.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

// The image formats a disk of another program can have; Bochs' own growing,
// sparse, undoable and redo-logged formats are for Bochs alone.
bool isReadableMode(const std::string& mode) {
    return mode.empty() || mode == "flat" || mode == "vpc" || mode == "vbox" || mode == "vmware4";
}

bool isDiskSlot(const std::string& name) {
    return name.size() >= 10 && name.rfind("ata", 0) == 0 && name[3] >= '0' && name[3] <= '3' &&
           (name.substr(4) == "-master" || name.substr(4) == "-slave");
}

// The line's parameters after "name:", or nothing when it names a variable
// that is not set (Bochs would stop there) or is no parameter line.
std::optional<std::pair<std::string, std::map<std::string, std::string>>> parameterLine(
    std::string_view line, const fs::path& home) {
    std::string text;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (c == '#' && !quoted)
            break;
        if (c == '$') {
            std::string variable;
            while (i + 1 < line.size() &&
                   (std::isalpha(static_cast<unsigned char>(line[i + 1])) || line[i + 1] == '_'))
                variable += line[++i];
            const char* value = variable == "HOME" ? home.c_str() : std::getenv(variable.c_str());
            if (variable.empty() || !value)
                return std::nullopt;
            text += value;
            continue;
        }
        if (quoted || !std::isspace(static_cast<unsigned char>(c)))
            text += quoted && c == ',' ? '\x01' : c;
    }
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    std::map<std::string, std::string> parameters;
    std::string_view rest = std::string_view(text).substr(colon + 1);
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        std::string item(rest.substr(0, comma));
        std::replace(item.begin(), item.end(), '\x01', ',');
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const auto equals = item.find('=');
        if (equals != std::string::npos)
            parameters.emplace(item.substr(0, equals), item.substr(equals + 1));
    }
    return std::make_pair(text.substr(0, colon), std::move(parameters));
}

bool isDefaultName(const std::string& name) {
    return name == ".bochsrc" || name == "bochsrc" || name == "bochsrc.txt";
}

void readBochsrc(const fs::path& file, const std::string& machine, const fs::path& home,
                 MachineList& out) {
    const auto text = readMachineFile(file, out.notes);
    if (!text)
        return;
    std::string_view rest = *text;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const auto line = parameterLine(rest.substr(0, end), home);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line || !isDiskSlot(line->first))
            continue;
        const auto& parameters = line->second;
        const auto type = parameters.find("type");
        const auto path = parameters.find("path");
        const auto mode = parameters.find("mode");
        if ((type != parameters.end() && type->second != "disk") || path == parameters.end() ||
            !isReadableMode(mode == parameters.end() ? "" : mode->second))
            continue;
        out.disks.push_back({machine, "Bochs", InstallationSource::Kind::DiskImage,
                             hostPathFromConfig(path->second, file.parent_path(), home),
                             DeclaredSystem::Unknown, file});
    }
}

}  // namespace

void ReaderBochs::read(const FinderInput& input, MachineList& out) const {
    const fs::path& home = input.places.home;
    readBochsrc(home / ".bochsrc", "~/.bochsrc", home, out);
    for (const fs::path& file : input.searched.bochsConfigs) {
        // bochsrc files are told apart by their folders.
        const std::string name = file.filename().string();
        readBochsrc(
            file,
            isDefaultName(name) ? file.parent_path().filename().string() : file.stem().string(),
            home, out);
    }
}

}  // namespace quenlark
