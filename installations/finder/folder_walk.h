#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <vector>

#include "machine_reader.h"

namespace quenlark {

// Visits the files below `root`, down to `depth` folder levels below it
// (0: only its own), without following links to folders (no loops) and
// without going into hidden folders; at most `limit` entries in all, so
// that no folder tree, however large, holds the search up.
void walkFolder(const std::filesystem::path& root, int depth,
                const std::function<void(const std::filesystem::directory_entry&)>& visit,
                std::size_t limit = 200000);

// How deep the folders the user adds are searched: an image in
// ~/retro/win98/disks/w98.img is found from ~/retro.
inline constexpr int kSearchFolderDepth = 4;

// The images and emulator configurations in the folders the user added.
SearchFolderFiles walkSearchFolders(const std::vector<std::filesystem::path>& folders);

}  // namespace quenlark
