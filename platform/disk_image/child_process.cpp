#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <thread>

namespace quenlark {

namespace {

// argv or envp: pointers into `strings`, ended by a null.
std::vector<char*> pointerArray(const std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (const auto& s : strings)
        pointers.push_back(const_cast<char*>(s.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// Everything the child needs, made ready before it exists: between the clone
// and the exec it shares this process's memory and may only make system calls.
struct ChildSetup {
    const char* program = nullptr;
    char* const* argv = nullptr;
    char* const* envp = nullptr;
    std::array<int, 3> standard{-1, -1, -1};
    int folder = -1;
    rlimit memory{};
    bool dieWithParent = false;
    pid_t parent = 0;
    ChildFailure failure;  // read once the child has gone
};

__attribute__((no_sanitize("address", "undefined"), noreturn)) void childFailed(ChildSetup* setup,
                                                                                bool atExec) {
    setup->failure = {errno == 0 ? EINVAL : errno, atExec};
    ::syscall(SYS_exit_group, 127);
    __builtin_unreachable();
}

// The child: a process group of its own, its limits, its folder and
// descriptors, default signals, then the program. Only bare system calls,
// which neither allocate nor lock nor reach the sanitizers' interceptors.
__attribute__((no_sanitize("address", "undefined"))) int childMain(void* argument) {
    auto* setup = static_cast<ChildSetup*>(argument);
    struct KernelSigaction {
        void (*handler)(int);
        unsigned long flags;
        void (*restorer)();
        std::uint64_t mask;
    };
    if (::syscall(SYS_setpgid, 0, 0) != 0)
        childFailed(setup, false);
    if (setup->dieWithParent) {
        ::syscall(SYS_prctl, PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0);
        if (::syscall(SYS_getppid) != setup->parent)
            ::syscall(SYS_exit_group, 127);
    }
    const rlimit noCore{0, 0};
    if (::syscall(SYS_prlimit64, 0, RLIMIT_DATA, &setup->memory, nullptr) != 0 ||
        ::syscall(SYS_prlimit64, 0, RLIMIT_CORE, &noCore, nullptr) != 0 ||
        ::syscall(SYS_fchdir, setup->folder) != 0)
        childFailed(setup, false);
    // Each lies above 2 (aboveStandard), so none is overwritten before it is used.
    for (int target = 0; target < 3; ++target)
        if (::syscall(SYS_dup3, setup->standard[target], target, 0) < 0)
            childFailed(setup, false);
#ifdef SYS_close_range
    ::syscall(SYS_close_range, 3, ~0U, 0);
#endif
    const KernelSigaction byDefault{SIG_DFL, 0, nullptr, 0};
    for (int signal = 1; signal < 65; ++signal)
        ::syscall(SYS_rt_sigaction, signal, &byDefault, nullptr, sizeof(std::uint64_t));
    const std::uint64_t noneBlocked = 0;
    ::syscall(SYS_rt_sigprocmask, SIG_SETMASK, &noneBlocked, nullptr, sizeof(std::uint64_t));
    ::syscall(SYS_execve, setup->program, setup->argv, setup->envp);
    childFailed(setup, true);
}

}  // namespace

std::optional<pid_t> startChild(const ChildStart& start, ChildFailure& failure) {
    const auto argPointers = pointerArray(start.arguments);
    const auto envPointers = pointerArray(start.environment);
    ChildSetup setup;
    setup.program = start.program.c_str();
    setup.argv = argPointers.data();
    setup.envp = envPointers.data();
    setup.standard = start.standard;
    setup.folder = start.folder;
    // Never above what this process may give.
    rlimit current{};
    ::getrlimit(RLIMIT_DATA, &current);
    const rlim_t limit = current.rlim_max == RLIM_INFINITY
                             ? start.memoryLimit
                             : std::min<rlim_t>(start.memoryLimit, current.rlim_max);
    setup.memory = rlimit{limit, limit};
    setup.dieWithParent = start.dieWithParent;
    setup.parent = ::getpid();

    constexpr std::size_t kStack = 64 * 1024;
    void* stack = ::mmap(nullptr, kStack, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (stack == MAP_FAILED) {
        failure = {errno, false};
        return std::nullopt;
    }
    // No handler of this process may run in the child: it would run on this
    // process's memory. The child sets every signal to its default first.
    sigset_t all, before;
    ::sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &before);
    const pid_t child = ::clone(childMain, static_cast<char*>(stack) + kStack,
                                CLONE_VM | CLONE_VFORK | SIGCHLD, &setup);
    const int cloneError = errno;
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    ::munmap(stack, kStack);
    if (child < 0) {
        failure = {cloneError, false};
        return std::nullopt;
    }
    if (setup.failure.error != 0) {
        ::waitpid(child, nullptr, 0);
        failure = setup.failure;
        return std::nullopt;
    }
    return child;
}

int processDescriptor(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

ChildEnd waitForChildEnd(pid_t child, std::chrono::steady_clock::time_point deadline) {
    const int pidfd = processDescriptor(child);
    auto pause = std::chrono::microseconds(200);
    ChildEnd outcome = ChildEnd::Running;
    for (;;) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
            if (errno == EINTR)
                continue;
            outcome = ChildEnd::NotOurs;
            break;
        }
        if (info.si_pid == child) {
            outcome = ChildEnd::Ended;
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        if (pidfd >= 0) {
            pollfd ended{pidfd, POLLIN, 0};
            ::poll(&ended, 1, static_cast<int>(left.count()));
        } else {
            std::this_thread::sleep_for(pause);
            pause = std::min(pause * 2, std::chrono::microseconds(5000));
        }
    }
    if (pidfd >= 0)
        ::close(pidfd);
    return outcome;
}

void signalGroup(pid_t leader, int signal) {
    if (leader > 1)
        ::kill(-leader, signal);
}

int collectChild(pid_t child) {
    signalGroup(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

int aboveStandard(int fd) {
    if (fd < 0 || fd > 2)
        return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    return moved;
}

void closeDescriptor(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace quenlark
