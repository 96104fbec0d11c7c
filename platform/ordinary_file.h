#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quenlark {

// Opens `file` with `flags` (O_CLOEXEC and O_NONBLOCK added) and keeps it
// open only when it is an ordinary file: a FIFO would make open or read wait
// for a writer that never comes, and a device or socket is no image. -1 with
// the sentence why not in `whyNot`, which names the file as `what` ("The disk
// image /home/u/w98.img").
int openOrdinaryFile(const std::filesystem::path& file, int flags, const std::string& what,
                     std::string& whyNot);

// "WHAT is a named pipe (FIFO), not an ordinary file" when `file` is there
// and is anything but an ordinary file (a link is followed); nothing when it
// is one, or is not there. It is looked at, never opened.
std::optional<std::string> whyNotOrdinary(const std::filesystem::path& file,
                                          const std::string& what);

}  // namespace quenlark
