#pragma once

#include <filesystem>
#include <string>

namespace quenlark {

// Opens `file` with `flags` (O_CLOEXEC and O_NONBLOCK added) and keeps it
// open only when it is an ordinary file: a FIFO would make open or read wait
// for a writer that never comes, and a device or socket is no image. -1 with
// the sentence why not in `whyNot`, which names the file as `what` ("The disk
// image /home/u/w98.img").
int openOrdinaryFile(const std::filesystem::path& file, int flags, const std::string& what,
                     std::string& whyNot);

}  // namespace quenlark
