#pragma once

#include <filesystem>
#include <vector>

#include "installation_finder.h"
#include "machine_reader.h"

namespace quenlark {

// Which of `disks` hold Windows 95/98: a partition with IO.SYS, MSDOS.SYS and
// the Windows folder (MSDOS.SYS's WinDir, else WINDOWS). Every image is opened
// as one the user opens (DiskImage::open: refused before anything reads
// through it when it is not self-contained), in a work folder of its own below
// `workFolder`, without a change; several at once. The same file named twice
// (two emulators, a link) is looked at once, for the first that names it.
// A disk that cannot be opened is listed as refused when its machine is
// declared Windows 95/98, or declares nothing and the image cannot be read on
// its own (a differencing disk, a file this user may not read). Those found
// are then asked whether an emulator has them open. Nothing is kept between
// runs: each answer is as the disks are now.
FindReport confirmDisks(const std::vector<MachineDisk>& disks,
                        const std::filesystem::path& workFolder,
                        const InstallationFinder::Progress& progress);

}  // namespace quenlark
