#pragma once

#include <sys/types.h>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quenlark {

// What a program printed and how it ended.
struct ToolResult {
    bool started = false;   // false: the program is missing or not executable
    bool timedOut = false;  // killed because it took longer than allowed
    int exitCode = -1;      // -1 when it did not exit by itself
    std::string out;
    std::string err;

    bool exitedCleanly() const { return started && !timedOut && exitCode == 0; }
};

// The environment every disk tool runs in: the PATH as it is when the tool
// starts, a UTF-8 locale (mtools needs one for names with accents), and the
// mtools configuration of this program instead of the user's, so that nothing
// in ~/.mtoolsrc or the environment changes what the tools do.
class ToolEnvironment {
  public:
    // `home` stands in for the user's home folder; `mtoolsConfig` is the
    // configuration file that mtools reads last.
    ToolEnvironment(const std::filesystem::path& home, const std::filesystem::path& mtoolsConfig);
    const std::vector<std::string>& variables() const { return variables_; }

  private:
    std::vector<std::string> variables_;
};

// Runs `program` with `arguments` (no shell), with the file `input` on its
// standard input, and waits for it at most `timeout`; past that it is killed.
ToolResult runTool(const ToolEnvironment& environment, const std::string& program,
                   const std::vector<std::string>& arguments, std::chrono::milliseconds timeout,
                   const std::filesystem::path& input = "/dev/null");

// Starts `program` without waiting: its output goes to `logFile`. Nothing when
// it could not be started.
std::optional<pid_t> startTool(const ToolEnvironment& environment, const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::filesystem::path& logFile);

// Waits at most `timeout` for a child started by startTool to end; its exit
// code (-1 for a signal), or nothing when it is still running.
std::optional<int> waitForTool(pid_t child, std::chrono::milliseconds timeout);

// Whether a process of this name, as the kernel keeps it (its first 15
// bytes), runs one of the programs this layer starts.
bool isDiskToolProcessName(const std::string& name);

// "The program mcopy is missing: install the Debian package mtools."
std::string missingToolSentence(const std::string& program);

}  // namespace quenlark
