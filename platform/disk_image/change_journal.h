#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quenlark {

// The record that a verified change is being committed into an image: the
// overlay that holds it, kept until the commit has succeeded, so that a
// commit cut short is done again at the next open. An overlay without this
// record was never verified and is thrown away.
//
// It also says what the image was like just before the commit, so that the
// next open can tell an image the commit left half written from one that
// something else (an emulator) wrote to since: the image file's state, the
// byte ranges of the disk that the commit writes, and their content before
// and after, and the head of the partition around them (boot sector, the
// start of the FAT), where every session of Windows leaves its marks.
struct CommitRecord {
    std::filesystem::path image;
    std::string format;  // as qemu names it
    std::filesystem::path overlay;
    // Nothing below in a record of an older version, which is replayed as it
    // always was.
    std::string imageState;  // see imageFileState
    std::uint64_t headOffset = 0;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> regions;  // offset, length
    std::string before, after;                                     // the regions' bytes, in order
    std::string head;
};

// "dev ino size mtime" of a file, nanoseconds included; empty when it cannot
// be looked at. Any write to the file changes it, a change of its permission
// bits does not.
std::string imageFileState(const std::filesystem::path& file);

// Writes the record to `journal` (and the bytes beside it) and flushes them
// and their folder to the disk.
bool writeCommitRecord(const std::filesystem::path& journal, const CommitRecord& record);

// The record in `journal`, or nothing when there is none (or half of one,
// which a crash while writing it leaves: then the commit had not started).
std::optional<CommitRecord> readCommitRecord(const std::filesystem::path& journal);

// Removes the record for good, flushing its folder.
bool removeCommitRecord(const std::filesystem::path& journal);

// Flushes a file, or a folder's entries, to the disk.
bool flushToDisk(const std::filesystem::path& path);

}  // namespace quenlark
