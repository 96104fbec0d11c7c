// 86Box keeps each machine in a folder of its own holding 86box.cfg; 5.x's
// manager finds them below its machine folder and keeps the names the user
// gave them in vmm.ini, keyed by a name-based UUID of the machine's folder.
#include <QString>
#include <QUuid>
#include <algorithm>
#include <cstdio>
#include <system_error>

#include "config_file.h"
#include "folder_walk.h"
#include "readers.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

constexpr int kDiskSlots = 88;           // hdd_01 to hdd_88
constexpr int kMachineFolderDepth = 16;  // the manager searches without a bound
constexpr const char* kFlatpakId = "net._86box._86Box";

fs::path canonicalOrAsIs(const fs::path& path) {
    std::error_code ec;
    const fs::path resolved = fs::canonical(path, ec);
    return ec ? path : resolved;
}

// The section of vmm.ini for the machine in `folder`: a version 5 UUID (null
// namespace) of its canonical path with a slash at the end.
std::string managerKey(const fs::path& folder) {
    const QString path = QString::fromStdString(canonicalOrAsIs(folder).string() + "/");
    return QUuid::createUuidV5(QUuid(), path).toString(QUuid::WithoutBraces).toStdString();
}

// Where one installation of 86Box keeps its machines.
struct ManagerPlaces {
    fs::path configFolder;  // 86box_global.cfg and vmm.ini
    fs::path defaultMachines;
    std::string emulator;
};

class MachineNames {
  public:
    MachineNames(const fs::path& vmmIni, std::vector<std::string>& notes)
        : ini_(readMachineFile(vmmIni, notes).value_or("")) {}

    std::string of(const fs::path& folder) const {
        if (const auto* section = ini_.section(managerKey(folder)))
            for (const auto& [key, value] : section->keys)
                if (key == "display_name" && !value.empty())
                    return unquoteQtValue(value);
        return folder.filename().string();
    }

  private:
    IniText ini_;
};

// The disks of the bus-connected slots of [Hard disks]; a slot whose bus is
// "none" is switched off.
void readMachine(const fs::path& folder, const std::string& name, const std::string& emulator,
                 const fs::path& home, MachineList& out) {
    const fs::path config = folder / "86box.cfg";
    const auto text = readMachineFile(config, out.notes);
    if (!text)
        return;
    const IniText ini(*text);
    for (int slot = 1; slot <= kDiskSlots; ++slot) {
        char key[32];
        std::snprintf(key, sizeof key, "hdd_%02d_", slot);
        const auto file = ini.value("Hard disks", std::string(key) + "fn");
        const auto parameters = ini.value("Hard disks", std::string(key) + "parameters");
        if (!file || file->empty() || !parameters)
            continue;
        const auto bus = parameters->substr(parameters->rfind(',') + 1);
        if (bus.find("none") != std::string::npos)
            continue;
        std::string written = *file;
        if (written.rfind("wp://", 0) == 0)
            written.erase(0, 5);
        // A host drive or a path relative to the program: no file to look at.
        if (written.rfind("ioctl://", 0) == 0 || written.rfind("<exe_path>", 0) == 0)
            continue;
        out.disks.push_back({name, emulator, InstallationSource::Kind::DiskImage,
                             hostPathFromConfig(written, folder, home), DeclaredSystem::Unknown,
                             config});
    }
}

std::vector<fs::path> machineFoldersBelow(const fs::path& root) {
    std::vector<fs::path> folders;
    walkFolder(root, kMachineFolderDepth, [&](const fs::directory_entry& entry) {
        // The manager's folder itself holds no machine.
        if (entry.path().filename() == "86box.cfg" && entry.path().parent_path() != root)
            folders.push_back(entry.path().parent_path());
    });
    std::sort(folders.begin(), folders.end());
    return folders;
}

fs::path machineFolderOf(const ManagerPlaces& places, const fs::path& home,
                         std::vector<std::string>& notes) {
    const auto global = readMachineFile(places.configFolder / "86box_global.cfg", notes);
    if (global)
        if (auto path = IniText(*global).value("Emulator", "vmm_path"); path && !path->empty())
            return hostPathFromConfig(*path, places.configFolder, home);
    return places.defaultMachines;
}

}  // namespace

void Reader86Box::read(const FinderInput& input, MachineList& out) const {
    const FinderPlaces& places = input.places;
    const fs::path flatpak = places.flatpak(kFlatpakId);
    const std::vector<ManagerPlaces> managers{
        {places.configHome / "86Box", places.dataHome / "86Box/Virtual Machines", "86Box"},
        {flatpak / "config/86Box", flatpak / "data/86Box/Virtual Machines", "86Box (Flatpak)"},
    };
    for (const ManagerPlaces& manager : managers) {
        const MachineNames names(manager.configFolder / "vmm.ini", out.notes);
        for (const fs::path& folder :
             machineFoldersBelow(machineFolderOf(manager, places.home, out.notes)))
            readMachine(folder, names.of(folder), manager.emulator, places.home, out);
    }
    // The Flatpak's one machine before its manager (up to 4.2).
    readMachine(flatpak / "config/86Box", "86Box", "86Box (Flatpak)", places.home, out);

    // Older 86Box and PCBox: a machine is any folder with 86box.cfg, named
    // after it; the third-party managers keep theirs in ~/86Box VMs.
    const MachineNames names(places.configHome / "86Box/vmm.ini", out.notes);
    for (const fs::path& folder : machineFoldersBelow(places.home / "86Box VMs"))
        readMachine(folder, names.of(folder), "86Box", places.home, out);
    for (const fs::path& folder : input.searched.machines86Box)
        readMachine(folder, names.of(folder), "86Box", places.home, out);
}

}  // namespace quenlark
