#include "emulator_finder.h"

#include <system_error>

#include "disk_confirmation.h"
#include "folder_walk.h"
#include "windows_path.h"

namespace quenlark {

namespace fs = std::filesystem;

EmulatorFinder::EmulatorFinder(Installations& installations, FinderPlaces places,
                               fs::path workFolder)
    : installations_(installations),
      places_(std::move(places)),
      workFolder_(std::move(workFolder)) {}

std::vector<fs::path> EmulatorFinder::searchFolders() {
    return installations_.searchFolders();
}

std::optional<std::string> EmulatorFinder::addSearchFolder(const fs::path& folder) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(folder, ec).lexically_normal();
    if (ec || !fs::is_directory(absolute, ec))
        return "The folder " + folder.string() + " does not exist.";
    installations_.addSearchFolder(absolute);
    return std::nullopt;
}

MachineList EmulatorFinder::readMachines(const std::vector<fs::path>& folders) const {
    const FinderInput input{places_, walkSearchFolders(folders)};
    MachineList machines;
    for (const auto& reader : allMachineReaders())
        reader->read(input, machines);
    return machines;
}

FindReport EmulatorFinder::find(const std::vector<fs::path>& folders,
                                const Progress& progress) const {
    MachineList machines = readMachines(folders);
    FindReport report = confirmDisks(machines.disks, workFolder_, progress);
    report.notes.insert(report.notes.begin(), machines.notes.begin(), machines.notes.end());
    return report;
}

FindReport EmulatorFinder::findMachine(const std::string& name,
                                       const std::vector<fs::path>& folders) const {
    MachineList machines = readMachines(folders);
    std::vector<MachineDisk> named;
    for (const MachineDisk& disk : machines.disks)
        if (disk.machine == name)
            named.push_back(disk);
    if (named.empty())
        for (const MachineDisk& disk : machines.disks)
            if (sameNameIgnoringCase(disk.machine, name))
                named.push_back(disk);
    FindReport report = confirmDisks(named, workFolder_, {});
    report.notes = std::move(machines.notes);
    return report;
}

}  // namespace quenlark
