#pragma once

#include <sys/types.h>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quenlark {

// What a program printed and how it ended.
struct ToolResult {
    bool started = false;    // false: whyNotStarted says why
    bool timedOut = false;   // killed because it took longer than allowed
    bool outputCut = false;  // killed because it printed more than the run allows
    int exitCode = -1;       // -1 when it did not exit by itself
    int signal = 0;          // the signal that ended it, when one did
    std::string out;
    std::string err;  // its first kErrorOutputKept bytes
    std::string whyNotStarted;
    std::chrono::milliseconds timeAllowed{0};

    bool exitedCleanly() const { return started && !timedOut && !outputCut && exitCode == 0; }
};

// Of a tool's error output only the start is kept: the reason is in its first
// lines, and a tool that prints without end must not fill the memory.
inline constexpr std::size_t kErrorOutputKept = 64 * 1024;

// The environment every disk tool runs in: the PATH as it is when the tool
// starts, a UTF-8 locale (mtools needs one for names with accents), and the
// mtools configuration of this program instead of the user's, so that nothing
// in ~/.mtoolsrc or the environment changes what the tools do. Each tool
// starts in a folder of this program (by default `home`), so that a relative
// name a tool meets resolves there, never in the user's working directory.
class ToolEnvironment {
  public:
    // `home` stands in for the user's home folder; `mtoolsConfig` is the
    // configuration file that mtools reads last.
    ToolEnvironment(const std::filesystem::path& home, const std::filesystem::path& mtoolsConfig);
    const std::vector<std::string>& variables() const { return variables_; }
    const std::filesystem::path& folder() const { return folder_; }

  private:
    std::vector<std::string> variables_;
    std::filesystem::path folder_;
};

// How one run of a tool is bounded, besides the memory limit each program
// has (see toolMemoryLimit).
struct ToolRun {
    std::chrono::milliseconds timeout;
    // Standard output beyond this many bytes ends the tool (outputCut).
    std::size_t outputLimit = 16 * 1024 * 1024;
    // The folder it starts in; empty: the environment's.
    std::filesystem::path folder = {};
    std::filesystem::path input = "/dev/null";
};

// Runs `program` with `arguments` (no shell) and waits for it as `run` allows;
// past that it is killed. Every tool runs in a process group of its own, which
// ends with it: whatever it started and left behind is killed when it ends,
// and it is killed itself should this process die first.
ToolResult runTool(const ToolEnvironment& environment, const std::string& program,
                   const std::vector<std::string>& arguments, const ToolRun& run);
ToolResult runTool(const ToolEnvironment& environment, const std::string& program,
                   const std::vector<std::string>& arguments, std::chrono::milliseconds timeout,
                   const std::filesystem::path& input = "/dev/null");

// Starts `program` in a process group of its own without waiting: its output
// goes to `logFile`. Nothing when it could not be started.
std::optional<pid_t> startTool(const ToolEnvironment& environment, const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::filesystem::path& logFile);

// Waits at most `timeout` for a child started by startTool to end; its exit
// code (-1 for a signal), or nothing when it is still running. Once it has
// ended, what is left of its process group is killed.
std::optional<int> waitForTool(pid_t child, std::chrono::milliseconds timeout);

// Sends `signal` to a child started by startTool and all of its process
// group. Only while the child has not been waited for.
void signalTool(pid_t child, int signal);

// The most memory (its data: heap and private mappings) the program may take.
std::size_t toolMemoryLimit(const std::string& program);

// Whether a process of this name, as the kernel keeps it (its first 15
// bytes), runs one of the programs this layer starts.
bool isDiskToolProcessName(const std::string& name);

// "The program mcopy is missing: install the Debian package mtools."
std::string missingToolSentence(const std::string& program);

// Why a run that did not exit cleanly failed, as a sentence that starts with
// the program and says `where` after its verb: "mdir did not finish within
// 60 s on the disk image.", "qemu-img ran out of the 1024 MiB of memory it may
// use: <its first line>", "mcopy failed on the disk image: <its first line>".
std::string toolFailureSentence(const std::string& program, const ToolResult& result,
                                const std::string& where = "");

}  // namespace quenlark
