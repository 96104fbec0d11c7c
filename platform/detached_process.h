#pragma once

#include <sys/types.h>
#include <optional>
#include <string>
#include <vector>

namespace quenlark {

// Starts `program` with `arguments` as a process of its own, without a shell
// and without waiting for it; a name without a slash is looked up on PATH.
// Gives the child's id, or nothing when it could not be started (no such
// program, not executable, not a program the host can run).
//
// The child is reaped when it ends, so no zombie is left behind, by a thread
// that waits for that one process id and nothing else. A SIGCHLD handler or
// waiting for any child would take exit statuses that Qt's own process
// handling expects to collect; a double fork would fork a process whose other
// threads may hold locks. The child gets its own process group, an empty
// signal mask and default signal handling, so that it neither inherits what
// this program blocks nor dies with it on a terminal's Ctrl+C.
std::optional<pid_t> spawnDetached(const std::string& program,
                                   const std::vector<std::string>& arguments);

}  // namespace quenlark
