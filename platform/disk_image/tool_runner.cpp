#include "tool_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>

#include "child_process.h"

extern char** environ;

namespace quenlark {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::size_t kMiB = 1024 * 1024;
// A program this layer does not know gets as much as the largest it does.
constexpr std::size_t kDefaultMemory = 1024 * kMiB;
// What is left of a tool's group may hold its output pipes open; once the tool
// has ended they are read for this long at most.
constexpr auto kDrainAfterEnd = 2s;
constexpr auto kReapTimeout = 5s;

struct ProgramFacts {
    const char* package;
    std::size_t memory;
};

// The Debian package of each program this layer runs, and the memory it may
// take. qemu's tools start up to 64 I/O threads, each with a stack of 8 MiB;
// fsck.fat keeps two entries for each cluster of the volume. mtools needs
// little beyond one FAT.
const std::map<std::string, ProgramFacts>& programFacts() {
    static const std::map<std::string, ProgramFacts> facts{
        {"mattrib", {"mtools", 256 * kMiB}},
        {"mcopy", {"mtools", 256 * kMiB}},
        {"mdel", {"mtools", 256 * kMiB}},
        {"mdir", {"mtools", 256 * kMiB}},
        {"mmd", {"mtools", 256 * kMiB}},
        {"mmove", {"mtools", 256 * kMiB}},
        {"qemu-img", {"qemu-utils", 1024 * kMiB}},
        {"qemu-storage-daemon", {"qemu-system-common", 1024 * kMiB}},
        {"fusermount3", {"fuse3", 64 * kMiB}},
        {"fsck.fat", {"dosfstools", 1024 * kMiB}},
        // It becomes the storage daemon.
        {"setpriv", {"util-linux", 1024 * kMiB}},
    };
    return facts;
}

bool isOverridden(const std::string& variable) {
    for (const char* prefix :
         {"MTOOLS", "LC_", "LANG=", "LANGUAGE=", "HOME=", "POSIXLY_CORRECT=", "PATH="})
        if (variable.rfind(prefix, 0) == 0)
            return true;
    return false;
}

// The program as PATH finds it now, as an absolute path: the child starts
// elsewhere and must not search.
std::optional<std::string> findProgram(const std::string& program) {
    auto runnable = [](const std::filesystem::path& file) {
        std::error_code ec;
        return std::filesystem::is_regular_file(file, ec) && ::access(file.c_str(), X_OK) == 0;
    };
    if (program.find('/') != std::string::npos)
        return runnable(program) ? std::optional(std::filesystem::absolute(program).string())
                                 : std::nullopt;
    const char* path = ::getenv("PATH");
    const std::string folders = path ? path : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= folders.size();) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string folder = folders.substr(start, end - start);
        start = end + 1;
        if (folder.empty())
            continue;
        std::error_code ec;
        const auto candidate =
            std::filesystem::absolute(std::filesystem::path(folder) / program, ec);
        if (!ec && runnable(candidate))
            return candidate.string();
    }
    return std::nullopt;
}

// Starts `program` with the three descriptors as its standard ones (taken
// over: closed here), or says why not.
std::optional<pid_t> spawn(const ToolEnvironment& environment, const std::string& program,
                           const std::vector<std::string>& arguments,
                           const std::filesystem::path& folder, std::array<int, 3> standard,
                           bool dieWithParent, std::string& whyNot) {
    ChildStart start;
    struct Closer {
        ChildStart& start;
        ~Closer() {
            for (int& fd : start.standard)
                closeDescriptor(fd);
            closeDescriptor(start.folder);
        }
    } closer{start};
    start.standard = standard;
    for (int fd : standard)
        if (fd < 0) {
            whyNot = std::string("its input and output could not be prepared (") +
                     std::strerror(errno) + ")";
            return std::nullopt;
        }
    const auto found = findProgram(program);
    if (!found) {
        whyNot = missingToolSentence(program);
        return std::nullopt;
    }
    const std::filesystem::path startIn = folder.empty() ? environment.folder() : folder;
    start.folder = aboveStandard(::open(startIn.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (start.folder < 0) {
        whyNot = "the folder " + startIn.string() + " it is to run in cannot be opened (" +
                 std::strerror(errno) + ")";
        return std::nullopt;
    }
    start.program = *found;
    start.arguments = {program};
    start.arguments.insert(start.arguments.end(), arguments.begin(), arguments.end());
    // The PATH the program was found on, so that a tool which starts another
    // (setpriv) finds it the same way.
    start.environment = environment.variables();
    if (const char* path = ::getenv("PATH"))
        start.environment.push_back(std::string("PATH=") + path);
    start.memoryLimit = toolMemoryLimit(std::filesystem::path(program).filename().string());
    start.dieWithParent = dieWithParent;
    ChildFailure failure;
    const auto child = startChild(start, failure);
    if (!child)
        whyNot = failure.atExec ? missingToolSentence(program)
                                : std::string("it could not be started (") +
                                      std::strerror(failure.error) + ")";
    return child;
}

// Reads the two pipes until they close, the time is up or the output is too
// long; returns once the tool has ended or must be killed.
void collectOutput(pid_t child, std::array<int, 2> pipes, const ToolRun& run,
                   Clock::time_point deadline, ToolResult& result) {
    int pidfd = processDescriptor(child);
    std::array<std::string*, 2> sinks{&result.out, &result.err};
    const std::array<std::size_t, 2> kept{run.outputLimit, kErrorOutputKept};
    std::array<char, 65536> buffer{};
    bool ended = false;  // without a process descriptor, only the closed pipes tell
    while (pipes[0] >= 0 || pipes[1] >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            result.timedOut = !ended;
            break;
        }
        std::array<pollfd, 3> polled{pollfd{pipes[0], POLLIN, 0}, pollfd{pipes[1], POLLIN, 0},
                                     pollfd{ended ? -1 : pidfd, POLLIN, 0}};
        const int ready = ::poll(polled.data(), polled.size(), static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR)
            break;
        if (polled[2].revents != 0) {
            // Whatever it left in its group holds no pipe open for long.
            ended = true;
            signalGroup(child, SIGKILL);
            deadline = std::min(deadline, Clock::now() + kDrainAfterEnd);
        }
        for (std::size_t i = 0; i < pipes.size(); ++i) {
            if (polled[i].fd < 0 || polled[i].revents == 0)
                continue;
            const ssize_t n = ::read(pipes[i], buffer.data(), buffer.size());
            if (n > 0) {
                const std::size_t room = kept[i] - std::min(kept[i], sinks[i]->size());
                sinks[i]->append(buffer.data(), std::min(room, static_cast<std::size_t>(n)));
                if (i == 0 && static_cast<std::size_t>(n) > room) {
                    result.outputCut = true;
                    break;
                }
            } else if (n == 0 || errno != EINTR) {
                closeDescriptor(pipes[i]);
            }
        }
        if (result.outputCut)
            break;
    }
    closeDescriptor(pipes[0]);
    closeDescriptor(pipes[1]);
    closeDescriptor(pidfd);
}

}  // namespace

ToolEnvironment::ToolEnvironment(const std::filesystem::path& home,
                                 const std::filesystem::path& mtoolsConfig)
    : folder_(home) {
    for (char** e = environ; e && *e; ++e)
        if (!isOverridden(*e))
            variables_.emplace_back(*e);
    variables_.push_back("LC_ALL=C.UTF-8");
    variables_.push_back("HOME=" + home.string());
    variables_.push_back("MTOOLSRC=" + mtoolsConfig.string());
}

ToolResult runTool(const ToolEnvironment& environment, const std::string& program,
                   const std::vector<std::string>& arguments, const ToolRun& run) {
    ToolResult result;
    result.timeAllowed = run.timeout;
    int outPipe[2] = {-1, -1};
    int errPipe[2] = {-1, -1};
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) {
        result.whyNotStarted = program + " could not be started: no pipe for its output (" +
                               std::strerror(errno) + ").";
        closeDescriptor(outPipe[0]);
        closeDescriptor(outPipe[1]);
        return result;
    }
    std::array<int, 2> readEnds{aboveStandard(outPipe[0]), aboveStandard(errPipe[0])};
    const int input = aboveStandard(::open(run.input.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    // A FIFO given as input must not make the tool wait for a writer either.
    if (input >= 0)
        ::fcntl(input, F_SETFL, 0);
    std::string whyNot;
    const auto child =
        spawn(environment, program, arguments, run.folder,
              {input, aboveStandard(outPipe[1]), aboveStandard(errPipe[1])}, true, whyNot);
    if (!child) {
        closeDescriptor(readEnds[0]);
        closeDescriptor(readEnds[1]);
        result.whyNotStarted = whyNot.rfind("The program", 0) == 0
                                   ? whyNot
                                   : program + " could not be started: " + whyNot + ".";
        return result;
    }
    result.started = true;
    const auto deadline = Clock::now() + run.timeout;
    collectOutput(*child, readEnds, run, deadline, result);
    if (result.timedOut || result.outputCut)
        signalGroup(*child, SIGKILL);
    // It may have closed its output and still run: the rest of its time.
    if (waitForChildEnd(*child, std::max(deadline, Clock::now() + 10ms)) == ChildEnd::Running) {
        result.timedOut = true;
        signalGroup(*child, SIGKILL);
        if (waitForChildEnd(*child, Clock::now() + kReapTimeout) != ChildEnd::Ended)
            return result;  // stuck in the kernel: leave it rather than hang
    }
    const int status = collectChild(*child);
    if (result.timedOut || result.outputCut)
        return result;
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    return result;
}

ToolResult runTool(const ToolEnvironment& environment, const std::string& program,
                   const std::vector<std::string>& arguments, std::chrono::milliseconds timeout,
                   const std::filesystem::path& input) {
    ToolRun run{timeout};
    run.input = input;
    return runTool(environment, program, arguments, run);
}

std::optional<pid_t> startTool(const ToolEnvironment& environment, const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::filesystem::path& logFile) {
    const int log = aboveStandard(
        ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    const int logAgain = log < 0 ? -1 : aboveStandard(::fcntl(log, F_DUPFD_CLOEXEC, 3));
    std::string whyNot;
    return spawn(environment, program, arguments, {},
                 {aboveStandard(::open("/dev/null", O_RDONLY | O_CLOEXEC)), log, logAgain}, false,
                 whyNot);
}

std::optional<int> waitForTool(pid_t child, std::chrono::milliseconds timeout) {
    switch (waitForChildEnd(child, Clock::now() + timeout)) {
        case ChildEnd::Running:
            return std::nullopt;
        case ChildEnd::NotOurs:
            return -1;  // not our child any more: nothing to wait for
        case ChildEnd::Ended:
            break;
    }
    const int status = collectChild(child);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void signalTool(pid_t child, int signal) {
    signalGroup(child, signal);
}

std::size_t toolMemoryLimit(const std::string& program) {
    const auto& facts = programFacts();
    const auto it = facts.find(program);
    return it == facts.end() ? kDefaultMemory : it->second.memory;
}

bool isDiskToolProcessName(const std::string& name) {
    constexpr std::size_t kKeptLength = 15;
    for (const auto& entry : programFacts())
        if (!name.empty() && entry.first.substr(0, kKeptLength) == name)
            return true;
    return false;
}

std::string missingToolSentence(const std::string& program) {
    const auto& facts = programFacts();
    const auto it = facts.find(program);
    const std::string package = it == facts.end() ? program : it->second.package;
    return "The program " + program + " is missing or cannot be run: install the Debian package " +
           package + ".";
}

std::string toolFailureSentence(const std::string& program, const ToolResult& result,
                                const std::string& where) {
    if (!result.started)
        return result.whyNotStarted;
    std::string said = result.err.empty() ? result.out : result.err;
    said = said.substr(0, said.find('\n'));
    while (!said.empty() && (said.back() == '\r' || said.back() == ' '))
        said.pop_back();
    auto sentence = [&](const std::string& what, bool withSaid) {
        return program + " " + what + where + (withSaid && !said.empty() ? ": " + said : "") + ".";
    };
    if (result.timedOut)
        return sentence(
            "did not finish within " +
                std::to_string(
                    std::chrono::duration_cast<std::chrono::seconds>(result.timeAllowed).count()) +
                " s",
            false);
    if (result.outputCut)
        return sentence("printed more than Quenlark reads from it", false);
    const bool outOfMemory = said.find("allocate") != std::string::npos ||
                             said.find("out of memory") != std::string::npos ||
                             said.find("memory exhausted") != std::string::npos ||
                             said.find("qemu_thread_create") != std::string::npos;
    if (outOfMemory)
        return sentence(
            "ran out of the " +
                std::to_string(toolMemoryLimit(std::filesystem::path(program).filename()) / kMiB) +
                " MiB of memory it may use",
            true);
    if (result.signal != 0)
        return sentence("was ended by signal " + std::to_string(result.signal) + " (" +
                            ::strsignal(result.signal) + ")",
                        true);
    return sentence("failed", true);
}

}  // namespace quenlark
