// A DOSBox-X machine is a conf file the user starts it with: its [autoexec]
// mounts the disks (IMGMOUNT C hdd.img, then BOOT C:) or a host folder as a
// drive (MOUNT C ~/dos). A relative path is taken from DOSBox-X's working
// folder, which [dosbox]'s "working directory option" chooses.
#include <algorithm>
#include <cctype>
#include <set>
#include <system_error>

#include "config_file.h"
#include "readers.h"
#include "windows_path.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFlatpakId = "com.dosbox_x.DOSBox-X";

// The words of a command line; "..." keeps spaces in one word.
std::vector<std::string> commandWords(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, inWord = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

std::string lowerCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The folder DOSBox-X resolves relative paths from. Where that is the folder
// it was started in, the conf file's folder is the best guess.
fs::path workingFolder(const IniText& ini, const fs::path& conf, const FinderPlaces& places) {
    const std::string option =
        lowerCase(ini.value("dosbox", "working directory option").value_or("default"));
    const std::string chosen = ini.value("dosbox", "working directory default").value_or("");
    if (option == "userconfig")
        return places.configHome / "dosbox-x";
    if (!chosen.empty() && option != "config" && option != "noprompt" && option != "program")
        return hostPathFromConfig(chosen, conf.parent_path(), places.home);
    return conf.parent_path();
}

// A hard disk's drive: C to Z, or the BIOS disks 2 and 3 (0 and 1 are floppies).
bool isHardDiskDrive(std::string drive) {
    if (!drive.empty() && drive.back() == ':')
        drive.pop_back();
    if (drive.size() != 1)
        return false;
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])));
    return (c >= 'C' && c <= 'Z') || c == '2' || c == '3';
}

bool isCdImage(const std::string& file) {
    const std::string extension = lowerCase(fs::path(file).extension().string());
    return extension == ".iso" || extension == ".cue" || extension == ".chd" ||
           extension == ".bin" || extension == ".ccd";
}

// IMGMOUNT DRIVE FILE... [-t TYPE] [-fs FS] [-size ...]: the files of a hard
// disk; MOUNT DRIVE FOLDER: the folder. Nothing for floppies, CDs, -u.
struct Mounted {
    InstallationSource::Kind kind;
    std::vector<std::string> paths;
};

std::optional<Mounted> mountedBy(std::string_view line) {
    auto words = commandWords(line);
    if (words.size() < 3)
        return std::nullopt;
    std::string command = lowerCase(words[0]);
    if (!command.empty() && command.front() == '@')
        command.erase(0, 1);
    const bool image = command == "imgmount";
    if ((!image && command != "mount") || !isHardDiskDrive(words[1]))
        return std::nullopt;
    static const std::set<std::string> kTakesValue{"-t",   "-fs", "-size",       "-chs",
                                                   "-ide", "-o",  "-reservecyl", "-label"};
    Mounted mounted{image ? InstallationSource::Kind::DiskImage : InstallationSource::Kind::Folder,
                    {}};
    for (std::size_t i = 2; i < words.size(); ++i) {
        const std::string option = lowerCase(words[i]);
        if (option.empty() || option.front() != '-') {
            mounted.paths.push_back(words[i]);
            continue;
        }
        if (option == "-u")
            return std::nullopt;
        if (option == "-t" && i + 1 < words.size()) {
            const std::string type = lowerCase(words[i + 1]);
            if (type == "floppy" || type == "iso" || type == "cdrom")
                return std::nullopt;
        }
        if (kTakesValue.count(option))
            ++i;
    }
    if (image)
        mounted.paths.erase(std::remove_if(mounted.paths.begin(), mounted.paths.end(), isCdImage),
                            mounted.paths.end());
    if (mounted.paths.empty())
        return std::nullopt;
    return mounted;
}

void readConf(const fs::path& conf, const std::string& emulator, const FinderPlaces& places,
              MachineList& out) {
    const auto text = readMachineFile(conf, out.notes);
    if (!text)
        return;
    const IniText ini(*text);
    const IniText::Section* autoexec = ini.section("autoexec");
    if (!autoexec)
        return;
    const std::string title = ini.value("dosbox", "title").value_or("");
    const std::string machine = title.empty() ? conf.stem().string() : title;
    const fs::path base = workingFolder(ini, conf, places);
    for (const std::string& line : autoexec->lines) {
        const auto mounted = mountedBy(line);
        if (!mounted)
            continue;
        for (std::string written : mounted->paths) {
            fs::path path = hostPathFromConfig(written, base, places.home);
            // A leading colon marks an image to mount write-protected.
            std::error_code ec;
            if (written.size() > 1 && written.front() == ':' && !fs::exists(path, ec))
                path = hostPathFromConfig(written.substr(1), base, places.home);
            out.disks.push_back(
                {machine, emulator, mounted->kind, path, DeclaredSystem::Unknown, conf});
        }
    }
}

std::vector<fs::path> confFilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (sameNameIgnoringCase(it->path().extension().string(), ".conf"))
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

void ReaderDosboxX::read(const FinderInput& input, MachineList& out) const {
    const FinderPlaces& places = input.places;
    for (const fs::path& conf : confFilesIn(places.configHome / "dosbox-x"))
        readConf(conf, "DOSBox-X", places, out);
    for (const fs::path& conf : confFilesIn(places.flatpak(kFlatpakId) / "config/dosbox-x"))
        readConf(conf, "DOSBox-X (Flatpak)", places, out);
    for (const fs::path& conf : input.searched.confFiles)
        readConf(conf, "DOSBox-X", places, out);
}

}  // namespace quenlark
