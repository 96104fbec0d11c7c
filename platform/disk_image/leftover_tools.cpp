#include "leftover_tools.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "process_files.h"
#include "tool_runner.h"

namespace quenlark {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto kEndTimeout = 10s;

// "FOLDER/" as it was given and as the kernel resolves it.
std::vector<std::string> pathPrefixes(const fs::path& folder) {
    std::vector<std::string> prefixes{folder.string() + "/"};
    std::error_code ec;
    const fs::path resolved = fs::canonical(folder, ec);
    if (!ec && resolved != folder)
        prefixes.push_back(resolved.string() + "/");
    return prefixes;
}

bool startsWithAny(const std::string& text, const std::vector<std::string>& prefixes) {
    for (const auto& prefix : prefixes)
        if (text.rfind(prefix, 0) == 0)
            return true;
    return false;
}

bool worksIn(pid_t pid, const std::vector<std::string>& prefixes) {
    const std::string commandLine = readProcessFile(pid, "cmdline");
    for (std::size_t start = 0; start < commandLine.size();) {
        const std::size_t end = commandLine.find('\0', start);
        if (startsWithAny(commandLine.substr(start, end - start), prefixes))
            return true;
        start = end == std::string::npos ? end : end + 1;
    }
    // Each tool starts in a folder of this program.
    std::error_code ec;
    const fs::path process = "/proc/" + std::to_string(pid);
    const fs::path startedIn = fs::read_symlink(process / "cwd", ec);
    if (!ec && startsWithAny(startedIn.string() + "/", prefixes))
        return true;
    const fs::path fds = process / "fd";
    for (fs::directory_iterator fd(fds, ec), last; !ec && fd != last; fd.increment(ec)) {
        std::error_code linkError;
        if (startsWithAny(fs::read_symlink(fd->path(), linkError).string(), prefixes))
            return true;
    }
    return false;
}

// Whether the process has begun to exit. Its main thread may then already
// be a zombie, with neither arguments nor files to show, while another of its
// threads still holds them.
bool isExiting(pid_t pid) {
    constexpr unsigned long kExitingFlag = 0x4;  // PF_EXITING
    const std::string stat = readProcessFile(pid, "stat");
    const auto nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos)
        return false;
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string skipped;
    for (int i = 0; i < 6; ++i)  // state, parent, group, session, terminal, its group
        fields >> skipped;
    unsigned long flags = 0;
    return fields >> flags && (flags & kExitingFlag) != 0;
}

// A process as /proc shows it: its name as the kernel keeps it and the
// process group it is in.
struct ProcessEntry {
    pid_t pid = 0;
    std::string name;
    pid_t group = 0;
};

std::vector<ProcessEntry> allProcesses() {
    std::vector<ProcessEntry> processes;
    std::error_code ec;
    for (fs::directory_iterator proc("/proc", ec), end; !ec && proc != end; proc.increment(ec)) {
        const std::string name = proc->path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        ProcessEntry entry;
        entry.pid = static_cast<pid_t>(std::stol(name));
        // "pid (name) state parent group ...": the name may hold anything.
        const std::string stat = readProcessFile(entry.pid, "stat");
        const auto open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close < open)
            continue;
        entry.name = stat.substr(open + 1, close - open - 1);
        std::istringstream rest(stat.substr(close + 1));
        std::string state;
        pid_t parent = 0;
        rest >> state >> parent >> entry.group;
        processes.push_back(std::move(entry));
    }
    return processes;
}

// The disk tools that work in `folder`, and with `exiting` also those that
// are exiting, wherever they worked; with the rest of their process groups.
// Each tool this layer starts leads a group of its own, which holds whatever
// the tool started in turn (a wrapper script's daemon); a group whose leader
// has gone, or is a disk tool too, is taken whole.
std::vector<pid_t> toolsWorkingIn(const fs::path& folder, bool exiting) {
    const auto prefixes = pathPrefixes(folder);
    const auto processes = allProcesses();
    const pid_t self = ::getpid(), ownGroup = ::getpgrp();
    std::vector<pid_t> tools;
    std::vector<pid_t> groups;
    for (const auto& process : processes) {
        if (process.pid == self || !isDiskToolProcessName(process.name))
            continue;
        if ((exiting && isExiting(process.pid)) || worksIn(process.pid, prefixes)) {
            tools.push_back(process.pid);
            if (process.group > 1 && process.group != ownGroup)
                groups.push_back(process.group);
        }
    }
    for (pid_t group : groups) {
        const auto leader = std::find_if(processes.begin(), processes.end(),
                                         [&](const ProcessEntry& p) { return p.pid == group; });
        if (leader != processes.end() && !isDiskToolProcessName(leader->name))
            continue;
        for (const auto& process : processes)
            if (process.group == group && process.pid != self &&
                std::find(tools.begin(), tools.end(), process.pid) == tools.end())
                tools.push_back(process.pid);
    }
    return tools;
}

}  // namespace

bool toolsWorkIn(const fs::path& folder) {
    return !toolsWorkingIn(folder, false).empty();
}

void endToolsWorkingIn(const fs::path& folder) {
    // A process descriptor, unlike a number, cannot come to mean another
    // process; it reads as ready once the whole process has ended.
    std::vector<pollfd> ending;
    for (pid_t pid : toolsWorkingIn(folder, true)) {
        // Called directly: Debian 12's <sys/pidfd.h> declares them for C only.
        const int descriptor = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
        if (descriptor < 0)
            continue;  // already gone
        ::syscall(SYS_pidfd_send_signal, descriptor, SIGKILL, nullptr, 0);
        ending.push_back(pollfd{descriptor, POLLIN, 0});
    }
    const auto deadline = std::chrono::steady_clock::now() + kEndTimeout;
    for (auto& process : ending) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        ::poll(&process, 1, static_cast<int>(std::max(left.count(), decltype(left.count()){0})));
        ::close(process.fd);
    }
}

}  // namespace quenlark
