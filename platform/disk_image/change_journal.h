#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quenlark {

// The record that a verified change is being committed into an image: the
// overlay that holds it, kept until the commit has succeeded, so that a
// commit cut short is done again at the next open. An overlay without this
// record was never verified and is thrown away.
struct CommitRecord {
    std::filesystem::path image;
    std::string format;  // as qemu names it
    std::filesystem::path overlay;
};

// Writes the record to `journal` and flushes it and its folder to the disk.
bool writeCommitRecord(const std::filesystem::path& journal, const CommitRecord& record);

// The record in `journal`, or nothing when there is none (or half of one,
// which a crash while writing it leaves: then the commit had not started).
std::optional<CommitRecord> readCommitRecord(const std::filesystem::path& journal);

// Removes the record for good, flushing its folder.
bool removeCommitRecord(const std::filesystem::path& journal);

// Flushes a file, or a folder's entries, to the disk.
bool flushToDisk(const std::filesystem::path& path);

}  // namespace quenlark
