#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "result.h"

namespace quenlark::converter {

// The whole of the file at `path`, which must be a regular file of at most
// `largest` bytes. Refuses, with a sentence for the user, a file that is
// missing, no regular file, unreadable, or too large to be `what` ("an
// IO.SYS", "a logo"), which is then not read into memory whole.
Result<std::string> readSmallFile(const std::filesystem::path& path, std::size_t largest,
                                  const std::string& what);

}  // namespace quenlark::converter
