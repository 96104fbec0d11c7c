#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fsck_findings.h"
#include "tool_runner.h"
#include "windows_marks.h"

namespace quenlark {

// The state a FAT volume was left in: what fsck.fat -n finds in it and the
// marks Windows keeps. Disks Windows has used are seldom spotless (not shut
// down cleanly, lost clusters, an old free-space count), so a change is judged
// by what it adds to the condition, not by the condition itself.
struct VolumeCondition {
    FsckReport fsck;
    std::optional<WindowsMarks> marks;
    // fsck.fat's own words, kept so that a stored condition reads as a fresh one.
    std::string fsckOut;
    std::string fsckErr;
};

// Checks the FAT volume of type `fatType` that fills `volumeFile` from its
// first byte; reads only.
VolumeCondition checkVolume(const ToolEnvironment& environment,
                            const std::filesystem::path& volumeFile, const std::string& fatType);

// A condition that says why the volume could not be checked.
VolumeCondition uncheckedVolume(std::string why);

// What the condition means to the user of the installation, one sentence
// each: "Windows was not shut down cleanly; ScanDisk will check the disk at
// the next start." None for a spotless volume.
std::vector<std::string> conditionNotes(const VolumeCondition& condition);

// What `after` has that `before` had not, as a clause for a refusal; empty
// when the change added nothing. Windows' marks count as changed when any of
// their bytes differ.
std::string conditionAdded(const VolumeCondition& before, const VolumeCondition& after);

// The condition of the volume at byte `offset` of `image` is kept in `record`
// together with the image file's state (see imageFileState), and read back
// only while the file is in that state: any write since, by anyone, makes the
// record stale.
void recordCondition(const std::filesystem::path& record, const std::filesystem::path& image,
                     std::uint64_t offset, const VolumeCondition& condition);
std::optional<VolumeCondition> recordedCondition(const std::filesystem::path& record,
                                                 const std::filesystem::path& image,
                                                 std::uint64_t offset);

}  // namespace quenlark
