// PCem v17 keeps its settings in ~/.pcem/pcem.cfg and one file per machine in
// its configs folder; the file's name is the machine's. The hard disks are
// hdc_fn (primary master) to hdi_fn in the file's unnamed first section.
#include <algorithm>
#include <array>
#include <system_error>

#include "config_file.h"
#include "readers.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

constexpr std::array<const char*, 7> kDiskKeys{"hdc_fn", "hdd_fn", "hde_fn", "hdf_fn",
                                               "hdg_fn", "hdh_fn", "hdi_fn"};

}  // namespace

void ReaderPcem::read(const FinderInput& input, MachineList& out) const {
    const fs::path pcemFolder = input.places.home / ".pcem";
    fs::path configs = pcemFolder / "configs";
    if (const auto global = readMachineFile(pcemFolder / "pcem.cfg", out.notes))
        if (auto path = IniText(*global).value("Paths", "configs_path"); path && !path->empty())
            configs = hostPathFromConfig(*path, pcemFolder, input.places.home);

    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(configs, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".cfg")
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const auto text = readMachineFile(file, out.notes);
        if (!text)
            continue;
        const IniText ini(*text);
        for (const char* key : kDiskKeys) {
            const auto written = ini.value("", key);
            if (!written || written->empty())
                continue;
            // PCem opens a relative name from the folder it was started in;
            // its own folder is the likeliest.
            out.disks.push_back({file.stem().string(), "PCem", InstallationSource::Kind::DiskImage,
                                 hostPathFromConfig(*written, pcemFolder, input.places.home),
                                 DeclaredSystem::Unknown, file});
        }
    }
}

}  // namespace quenlark
