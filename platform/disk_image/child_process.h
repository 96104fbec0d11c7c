#pragma once

#include <sys/types.h>
#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quenlark {

// How a tool's process is made: in a process group of its own (so that what
// it starts can be ended with it), under a memory limit, without core dumps,
// in a folder given, with only its three standard descriptors, every signal
// at its default, and with `dieWithParent` killed should this process die.
// It costs the same however large this process is: the child shares this
// process's memory until the program replaces it, as posix_spawn's does.
struct ChildStart {
    std::string program;                 // the file to run, an absolute path
    std::vector<std::string> arguments;  // its name first
    std::vector<std::string> environment;
    int folder = -1;                          // a descriptor of the folder it starts in
    std::array<int, 3> standard{-1, -1, -1};  // its input, output and error output
    std::size_t memoryLimit = 0;              // its data: heap and private mappings
    bool dieWithParent = false;
};

// What stopped a child from starting: errno, and whether the program itself
// could not be run (missing, not executable) or a step before it failed.
struct ChildFailure {
    int error = 0;
    bool atExec = false;
};

// The started child, or nothing with `failure` set.
std::optional<pid_t> startChild(const ChildStart& start, ChildFailure& failure);

enum class ChildEnd { Ended, Running, NotOurs };

// Waits at most until `deadline` for the child to end, without collecting it:
// until it is collected, its number, and so its process group's, cannot come
// to mean another process.
ChildEnd waitForChildEnd(pid_t child, std::chrono::steady_clock::time_point deadline);

// Once the child has ended: kills what is left of its process group, then
// collects its wait status.
int collectChild(pid_t child);

// Sends `signal` to the process group that `leader` started (every child is
// started as the leader of a group of its own). Does nothing for a pid that
// cannot be such a leader: kill(-1) would reach every process this user
// may signal, and kill(0) our own group.
void signalGroup(pid_t leader, int signal);

// A descriptor that reads as ready once the process has ended; -1 when the
// kernel has none to give.
int processDescriptor(pid_t pid);

// `fd` moved above the three standard descriptors (closing it), so that
// putting a child's descriptors in place never overwrites another of them.
int aboveStandard(int fd);

void closeDescriptor(int& fd);

}  // namespace quenlark
