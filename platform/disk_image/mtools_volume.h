#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tool_runner.h"

namespace quenlark {

// A name below the root of a FAT volume, one entry per folder level:
// {"WINDOWS", "LOGOW.SYS"}. The root itself is empty.
using FatPath = std::vector<std::string>;

// One entry of a FAT folder, by its long name when it has one.
struct FatEntry {
    std::string name;
    std::string shortName;  // "LONGNA~1.BMP"
    bool folder = false;
    std::uint64_t size = 0;
};

// The FAT attributes mtools reports and sets: read-only, hidden, system, archive.
struct FatAttributes {
    bool readOnly = false, hidden = false, system = false, archive = false;
    bool operator==(const FatAttributes&) const = default;
};

// What mcopy gives a file it makes.
inline constexpr FatAttributes kNewFileAttributes{false, false, false, true};

// A FAT volume that lies in a file from byte `offset` on, reached through
// mtools. mtools finds names without regard to letter case. Every call that
// fails keeps its reason; anything mtools prints on its error output counts as
// a failure, because it exits 0 on some errors (a damaged FAT, a short file).
//
// mtools hands an image name with shell characters to /bin/sh, and reads
// "@@" in one as an offset. So it never sees a path of the user's or the
// image's: it runs in the folder of `file`, a file of this program's under a
// fixed name (a link to the image, an export), and host files reach it under
// fixed names in that folder too.
class MtoolsVolume {
  public:
    MtoolsVolume(const ToolEnvironment& environment, std::filesystem::path file,
                 std::uint64_t offset);

    // More than this is no FAT folder's listing (65,536 entries with long names).
    static constexpr std::size_t kLargestListing = 32 * 1024 * 1024;

    // The entries of a folder, without "." and "..". Nothing when it is not
    // a folder or cannot be read.
    std::optional<std::vector<FatEntry>> list(const FatPath& folder);
    // The whole content of a file; checked against `expectedSize`, because a
    // short image reads as a short file without any complaint, and a damaged
    // one may read as more: mcopy is stopped a byte past the size.
    std::optional<std::string> read(const FatPath& file, std::uint64_t expectedSize);
    // Copies the host file `source` to a name that does not exist yet.
    bool put(const std::filesystem::path& source, const FatPath& file);
    bool remove(const FatPath& file);
    bool makeFolder(const FatPath& folder);
    // Renames a file within its folder.
    bool rename(const FatPath& from, const FatPath& to);
    // Renames a file within its folder over another, which goes.
    bool replace(const FatPath& from, const FatPath& to);
    std::optional<FatAttributes> attributes(const FatPath& file);
    bool setAttributes(const FatPath& file, const FatAttributes& attributes);

    // Why the last call failed, as a sentence.
    const std::string& failure() const { return failure_; }
    // Whether the last call failed because the name does not exist.
    bool failedAsMissing() const { return missing_; }

  private:
    // Nothing when mtools failed; a result that is cut short when it printed
    // more than `outputLimit`.
    std::optional<ToolResult> run(const std::string& program, std::vector<std::string> arguments,
                                  std::size_t outputLimit = 64 * 1024);
    std::string imageArgument() const;

    const ToolEnvironment& environment_;
    std::filesystem::path file_;
    std::uint64_t offset_;
    std::string failure_;
    bool missing_ = false;
};

// mtools' spelling of a path on the volume: "::/WINDOWS/LOGOW.SYS".
std::string mtoolsPath(const FatPath& path);

// The entry of `entries` named `name`, by its long or short name, without
// regard to letter case; nothing when there is none.
const FatEntry* findFatEntry(const std::vector<FatEntry>& entries, const std::string& name);

// Whether mtools can take the name literally: it reads * ? [ ] as patterns.
bool isLiteralFatName(const std::string& name);

}  // namespace quenlark
