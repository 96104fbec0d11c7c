#pragma once

#include <sys/types.h>
#include <string>

namespace quenlark {

// The whole of the file `name` in /proc/<pid> (cmdline, comm, stat, ...);
// empty when it cannot be read, also when the process ends while it is read,
// which a stream would report by throwing.
std::string readProcessFile(pid_t pid, const std::string& name);

}  // namespace quenlark
