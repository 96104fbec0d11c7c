#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>

#include "change_journal.h"
#include "tool_runner.h"

namespace quenlark {

// Where a commit into an image stands, as the image itself shows it.
enum class CommitProgress {
    NotStarted,    // the image file is in the state recorded before the commit
    CutShort,      // some of what the commit writes is there, the rest as it was
    Finished,      // all of it is there
    WrittenSince,  // something else wrote to the image: bytes that are neither
                   // what they were nor what the commit writes, or the commit's
                   // own bytes as they were although the image was written
};

// Fills in `record` (image, format and overlay given) with what the commit of
// its overlay will write, as `qemu-img map` tells, and what the disk holds
// there now: read from `disk`, the image's disk as plain bytes (the image
// itself, or its read-only view), and from `exported`, the partition at
// `offset` (`size` bytes) as the change left it. Nothing, with the reason,
// when any of it cannot be read.
std::variant<CommitRecord, std::string> describeCommit(const ToolEnvironment& environment,
                                                       CommitRecord record,
                                                       const std::filesystem::path& disk,
                                                       const std::filesystem::path& exported,
                                                       std::uint64_t offset, std::uint64_t size);

// Where the commit that `record` describes stands, judged by the image's
// `disk` as it is now. A record of an older version, which does not say,
// stands cut short.
CommitProgress judgeCommit(const CommitRecord& record, const std::filesystem::path& disk);

}  // namespace quenlark
