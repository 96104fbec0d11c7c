#pragma once

#include <filesystem>
#include <string>

#include "installation_finder.h"
#include "installations.h"
#include "machine_reader.h"

namespace quenlark {

// The Windows 95/98 installations on the disks of the user's emulator
// machines (86Box, PCem, VirtualBox, libvirt and GNOME Boxes, DOSBox-X, Bochs)
// and in the folders the user added, which `installations` keeps.
class EmulatorFinder : public InstallationFinder {
  public:
    // `workFolder` holds the work folders of the images while they are
    // looked into; nothing stays in it.
    EmulatorFinder(Installations& installations, FinderPlaces places,
                   std::filesystem::path workFolder);

    std::vector<std::filesystem::path> searchFolders() override;
    std::optional<std::string> addSearchFolder(const std::filesystem::path& folder) override;
    FindReport find(const std::vector<std::filesystem::path>& searchFolders,
                    const Progress& progress) const override;

    // Only the disks of the machines named `name`: by that exact name, else
    // without regard to letter case.
    FindReport findMachine(const std::string& name,
                           const std::vector<std::filesystem::path>& searchFolders) const;

  private:
    MachineList readMachines(const std::vector<std::filesystem::path>& searchFolders) const;

    Installations& installations_;
    FinderPlaces places_;
    std::filesystem::path workFolder_;
};

}  // namespace quenlark
