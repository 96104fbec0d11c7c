#pragma once

#include <string>
#include <vector>

#include "file_system.h"

namespace quenlark {

// What a file system can tell of the volume behind a drive beyond its files:
// a disk image whose Windows was not shut down cleanly, say, which ScanDisk
// will check at the next start. The installation check reports it. A file
// system that knows nothing of the kind does not implement this.
class VolumeNotes {
  public:
    virtual ~VolumeNotes() = default;
    // One sentence each about the volume that holds drive `letter` ('C'); none
    // when there is nothing to tell. Reads only.
    virtual std::vector<std::string> volumeNotes(char letter) = 0;
};

// The notes `files` has for drive `letter`, when it is a file system that
// keeps any.
inline std::vector<std::string> volumeNotesOf(FileSystem& files, char letter) {
    auto* notes = dynamic_cast<VolumeNotes*>(&files);
    return notes ? notes->volumeNotes(letter) : std::vector<std::string>{};
}

}  // namespace quenlark
