#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quenlark {

// Writes files so that a reader never sees half of one: the content goes to a
// temporary file in the destination's folder, is flushed to the disk, and is
// renamed over the destination. On any failure the destination keeps its old
// content, the temporary file is removed and, when `failure` is given, it
// gets a sentence that names the file or folder and the system's reason.
//
// A file that replaces a regular file keeps that file's permission bits, and
// its owner and group as far as this user may give them; a new file gets the
// permissions any new file of this user gets.

// Copies the regular file `source` to `destination`. A source that is no
// regular file (a FIFO, a device) is refused without waiting for it.
bool copyFileAtomically(const std::filesystem::path& source,
                        const std::filesystem::path& destination, std::string* failure = nullptr);

bool writeFileAtomically(const std::filesystem::path& destination, std::string_view content,
                         std::string* failure = nullptr);

// The call that moves a finished temporary file over its destination. Tests
// put their own in its place to stage a refused move, which real files cannot
// produce when the tests run as root. Returns the one it replaces.
using RenameFunction = int (*)(const char* from, const char* to);
RenameFunction replaceRenameFunction(RenameFunction rename);

}  // namespace quenlark
