#include "tool_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <thread>

extern char** environ;

namespace quenlark {

namespace {

using Clock = std::chrono::steady_clock;

// The Debian package of each program this layer runs.
const std::map<std::string, std::string>& packageOfProgram() {
    static const std::map<std::string, std::string> packages{
        {"mattrib", "mtools"},      {"mcopy", "mtools"},
        {"mdel", "mtools"},         {"mdir", "mtools"},
        {"mmd", "mtools"},          {"mmove", "mtools"},
        {"qemu-img", "qemu-utils"}, {"qemu-storage-daemon", "qemu-system-common"},
        {"fusermount3", "fuse3"},   {"fsck.fat", "dosfstools"},
        {"setpriv", "util-linux"},
    };
    return packages;
}

bool isOverridden(const std::string& variable) {
    for (const char* prefix :
         {"MTOOLS", "LC_", "LANG=", "LANGUAGE=", "HOME=", "POSIXLY_CORRECT=", "PATH="})
        if (variable.rfind(prefix, 0) == 0)
            return true;
    return false;
}

// argv or envp for posix_spawn: pointers into `strings`, ended by a null.
std::vector<char*> pointerArray(const std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (const auto& s : strings)
        pointers.push_back(const_cast<char*>(s.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

class FileActions {
  public:
    FileActions() { ::posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { ::posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_{};
};

std::optional<pid_t> spawn(const ToolEnvironment& environment, const std::string& program,
                           const std::vector<std::string>& arguments, FileActions& actions) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    auto argPointers = pointerArray(argv);
    // The PATH the program is found on, so that a tool which starts another
    // (setpriv) finds it the same way.
    std::vector<std::string> variables = environment.variables();
    if (const char* path = ::getenv("PATH"))
        variables.push_back(std::string("PATH=") + path);
    auto envPointers = pointerArray(variables);
    pid_t child = 0;
    if (::posix_spawnp(&child, program.c_str(), actions.get(), nullptr, argPointers.data(),
                       envPointers.data()) != 0)
        return std::nullopt;
    return child;
}

void closeIfOpen(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

std::optional<int> exitCodeOf(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return -1;
}

}  // namespace

ToolEnvironment::ToolEnvironment(const std::filesystem::path& home,
                                 const std::filesystem::path& mtoolsConfig) {
    for (char** e = environ; e && *e; ++e)
        if (!isOverridden(*e))
            variables_.emplace_back(*e);
    variables_.push_back("LC_ALL=C.UTF-8");
    variables_.push_back("HOME=" + home.string());
    variables_.push_back("MTOOLSRC=" + mtoolsConfig.string());
}

ToolResult runTool(const ToolEnvironment& environment, const std::string& program,
                   const std::vector<std::string>& arguments, std::chrono::milliseconds timeout,
                   const std::filesystem::path& input) {
    ToolResult result;
    int outPipe[2] = {-1, -1};
    int errPipe[2] = {-1, -1};
    if (::pipe2(outPipe, O_CLOEXEC) != 0)
        return result;
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        closeIfOpen(outPipe[0]);
        closeIfOpen(outPipe[1]);
        return result;
    }
    FileActions actions;
    ::posix_spawn_file_actions_addopen(actions.get(), 0, input.c_str(), O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(actions.get(), outPipe[1], 1);
    ::posix_spawn_file_actions_adddup2(actions.get(), errPipe[1], 2);
    const auto child = spawn(environment, program, arguments, actions);
    closeIfOpen(outPipe[1]);
    closeIfOpen(errPipe[1]);
    if (!child) {
        closeIfOpen(outPipe[0]);
        closeIfOpen(errPipe[0]);
        return result;
    }
    result.started = true;

    const auto deadline = Clock::now() + timeout;
    std::array<int*, 2> fds{&outPipe[0], &errPipe[0]};
    std::array<std::string*, 2> sinks{&result.out, &result.err};
    std::array<char, 65536> buffer{};
    while (outPipe[0] >= 0 || errPipe[0] >= 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            break;
        }
        std::array<pollfd, 2> polled{pollfd{outPipe[0], POLLIN, 0}, pollfd{errPipe[0], POLLIN, 0}};
        const int ready = ::poll(polled.data(), polled.size(), static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR)
            break;
        for (std::size_t i = 0; i < polled.size(); ++i) {
            if (polled[i].fd < 0 || polled[i].revents == 0)
                continue;
            const ssize_t n = ::read(*fds[i], buffer.data(), buffer.size());
            if (n > 0)
                sinks[i]->append(buffer.data(), static_cast<std::size_t>(n));
            else if (n == 0 || errno != EINTR)
                closeIfOpen(*fds[i]);
        }
    }
    closeIfOpen(outPipe[0]);
    closeIfOpen(errPipe[0]);

    if (result.timedOut)
        ::kill(*child, SIGKILL);
    auto code = waitForTool(*child, result.timedOut ? std::chrono::milliseconds(5000) : timeout);
    if (!code) {
        result.timedOut = true;
        ::kill(*child, SIGKILL);
        code = waitForTool(*child, std::chrono::milliseconds(5000));
    }
    if (!result.timedOut && code)
        result.exitCode = *code;
    return result;
}

std::optional<pid_t> startTool(const ToolEnvironment& environment, const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::filesystem::path& logFile) {
    FileActions actions;
    ::posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_addopen(actions.get(), 1, logFile.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::posix_spawn_file_actions_adddup2(actions.get(), 1, 2);
    return spawn(environment, program, arguments, actions);
}

std::optional<int> waitForTool(pid_t child, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child)
            return exitCodeOf(status);
        if (done < 0 && errno != EINTR)
            return -1;  // not our child any more: nothing to wait for
        if (Clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(5000));
    }
}

bool isDiskToolProcessName(const std::string& name) {
    constexpr std::size_t kKeptLength = 15;
    for (const auto& entry : packageOfProgram())
        if (!name.empty() && entry.first.substr(0, kKeptLength) == name)
            return true;
    return false;
}

std::string missingToolSentence(const std::string& program) {
    const auto& packages = packageOfProgram();
    const auto it = packages.find(program);
    const std::string package = it == packages.end() ? program : it->second;
    return "The program " + program + " is missing or cannot be run: install the Debian package " +
           package + ".";
}

}  // namespace quenlark
