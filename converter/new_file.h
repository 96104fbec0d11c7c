#pragma once

#include <filesystem>
#include <string_view>

#include "result.h"

namespace quenlark::converter {

enum class ExistingFile { Keep, Replace };

// Writes `content` to `path` so that nobody ever sees half of it: a temporary
// file in the same folder, flushed to the disk, then renamed into place. With
// ExistingFile::Keep a file already at `path` is never touched, even one that
// appears while we write. On failure nothing is left behind and the sentence
// says why.
Result<Done> writeNewFile(const std::filesystem::path& path, std::string_view content,
                          ExistingFile existing);

}  // namespace quenlark::converter
