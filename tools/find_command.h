#pragma once

#include <string>
#include <variant>

#include "emulator_finder.h"

namespace quenlark {

// quenlark-logo find: one line per installation found, its fields separated
// by tabs: the machine's name, the emulator, the image (or the Windows folder
// of a folder installation), the partition ("-" where none applies: a folder,
// a disk without partitions, a refused image) and the state: "ready", "in-use: WHY" or "refused:
// WHY". The image and partition are what --image and --partition (or --windows-dir) take. Returns
// the exit status: 1 when none was found.
int runFindCommand(EmulatorFinder& finder);

// --machine NAME: the installation of the machine of that name, or the
// sentence why there is none to open (none, several, or it is refused).
std::variant<FoundInstallation, std::string> machineInstallation(EmulatorFinder& finder,
                                                                 const std::string& name);

}  // namespace quenlark
