#include "commit_progress.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>

#include <nlohmann/json.hpp>

#include "qemu_node.h"

namespace quenlark {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto kMapTimeout = 30s;
// The head of the partition that stands for the rest of the image: its boot
// sector, the free-space count of FAT32 and the start of the first FAT, with
// the marks Windows sets and clears in every session.
constexpr std::uint64_t kHeadBytes = 64 * 1024;
// A commit is of a logo or a settings file, and the folders and FAT sectors
// around it.
constexpr std::uint64_t kLargestCommit = 16 * 1024 * 1024;
// The unit that a write cut short leaves whole.
constexpr std::uint64_t kSector = 512;

// The ranges that the overlay itself holds, from `qemu-img map
// --output=json` of the overlay without its backing: those present.
std::optional<std::vector<std::pair<std::uint64_t, std::uint64_t>>> overlayRanges(
    const std::string& map) {
    const auto report = nlohmann::json::parse(map, nullptr, false);
    if (!report.is_array())
        return std::nullopt;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
    for (const auto& range : report) {
        const auto start = range.find("start"), length = range.find("length"),
                   present = range.find("present");
        if (!range.is_object() || start == range.end() || length == range.end() ||
            present == range.end() || !start->is_number_unsigned() ||
            !length->is_number_unsigned() || !present->is_boolean())
            return std::nullopt;
        if (present->get<bool>() && length->get<std::uint64_t>() > 0)
            ranges.emplace_back(start->get<std::uint64_t>(), length->get<std::uint64_t>());
    }
    return ranges;
}

std::optional<std::string> readBytes(const fs::path& file, std::uint64_t offset,
                                     std::uint64_t length) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string bytes(length, '\0');
    std::uint64_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::pread(fd, bytes.data() + done, length - done, static_cast<off_t>(offset + done));
        if (n <= 0)
            break;
        done += static_cast<std::uint64_t>(n);
    }
    ::close(fd);
    if (done != length)
        return std::nullopt;
    return bytes;
}

bool inRegions(const CommitRecord& record, std::uint64_t at) {
    for (const auto& [offset, length] : record.regions)
        if (at >= offset && at < offset + length)
            return true;
    return false;
}

}  // namespace

std::variant<CommitRecord, std::string> describeCommit(const ToolEnvironment& environment,
                                                       CommitRecord record, const fs::path& disk,
                                                       const fs::path& exported,
                                                       std::uint64_t offset, std::uint64_t size) {
    // Without its backing, which the map would otherwise walk whole: slow
    // for a VMDK's grain tables.
    const auto map = runTool(
        environment, "qemu-img",
        {"map", "--output=json", "-U", qemuNodeName({{record.overlay, "qcow2"}}, NodeAccess{})},
        kMapTimeout);
    const auto ranges = map.exitedCleanly() ? overlayRanges(map.out) : std::nullopt;
    if (!ranges)
        return std::string("qemu-img map could not tell what the change writes");
    record.regions = *ranges;
    std::uint64_t total = 0;
    for (const auto& [start, length] : record.regions)
        total += length;
    if (total > kLargestCommit)
        return std::string("the change would write more than a logo ever needs");

    const std::string unreadable = "the disk image cannot be read where the change writes";
    for (const auto& [start, length] : record.regions) {
        auto before = readBytes(disk, start, length);
        if (!before)
            return unreadable;
        // The overlay's clusters may reach past the partition; there the
        // commit writes back what was there.
        std::string after = *before;
        const std::uint64_t from = std::max(start, offset);
        const std::uint64_t to = std::min(start + length, offset + size);
        if (from < to) {
            auto changed = readBytes(exported, from - offset, to - from);
            if (!changed)
                return unreadable;
            after.replace(from - start, to - from, *changed);
        }
        record.before += *before;
        record.after += after;
    }
    auto head = readBytes(disk, offset, std::min(kHeadBytes, size));
    if (!head)
        return unreadable;
    record.head = std::move(*head);
    record.headOffset = offset;
    record.imageState = imageFileState(record.image);
    return record;
}

CommitProgress judgeCommit(const CommitRecord& record, const fs::path& disk) {
    if (record.imageState.empty())
        return CommitProgress::CutShort;
    if (imageFileState(record.image) == record.imageState)
        return CommitProgress::NotStarted;
    const auto head = readBytes(disk, record.headOffset, record.head.size());
    if (!head)
        return CommitProgress::WrittenSince;
    for (std::uint64_t i = 0; i < head->size(); ++i)
        if ((*head)[i] != record.head[i] && !inRegions(record, record.headOffset + i))
            return CommitProgress::WrittenSince;

    bool anyNew = false, anyOld = false;
    std::uint64_t at = 0;  // in record.before and record.after
    for (const auto& [start, length] : record.regions) {
        const auto now = readBytes(disk, start, length);
        if (!now)
            return CommitProgress::WrittenSince;
        for (std::uint64_t s = 0; s < length; s += kSector) {
            const std::uint64_t n = std::min(kSector, length - s);
            const std::string_view current(now->data() + s, n);
            const std::string_view before(record.before.data() + at + s, n);
            const std::string_view after(record.after.data() + at + s, n);
            if (before == after)
                continue;
            if (current == after)
                anyNew = true;
            else if (current == before)
                anyOld = true;
            else
                return CommitProgress::WrittenSince;
        }
        at += length;
    }
    if (anyNew)
        return anyOld ? CommitProgress::CutShort : CommitProgress::Finished;
    // Nothing of the commit is there, yet the image was written: by another.
    return CommitProgress::WrittenSince;
}

}  // namespace quenlark
