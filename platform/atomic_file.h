#pragma once

#include <filesystem>
#include <string_view>

namespace quenlark {

// Writes files so that a reader never sees half of one: the content goes to a
// temporary file in the destination's folder, is flushed to the disk, and is
// renamed over the destination. On any failure the destination keeps its old
// content and the temporary file is removed.

// Copies the ordinary file `source` to `destination`, keeping the source's
// permission bits.
bool copyFileAtomically(const std::filesystem::path& source,
                        const std::filesystem::path& destination);

bool writeFileAtomically(const std::filesystem::path& destination, std::string_view content);

// The call that moves a finished temporary file over its destination. Tests
// put their own in its place to stage a refused move, which real files cannot
// produce when the tests run as root. Returns the one it replaces.
using RenameFunction = int (*)(const char* from, const char* to);
RenameFunction replaceRenameFunction(RenameFunction rename);

}  // namespace quenlark
