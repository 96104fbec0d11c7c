#include "detached_process.h"

#include <spawn.h>
#include <sys/wait.h>
#include <cerrno>
#include <csignal>
#include <system_error>
#include <thread>

extern char** environ;

namespace quenlark {

namespace {

// posix_spawnattr_t with the settings every child gets, destroyed on every way out.
class SpawnAttributes {
  public:
    SpawnAttributes() {
        ok_ = ::posix_spawnattr_init(&attributes_) == 0;
        if (!ok_)
            return;
        sigset_t none;
        sigemptyset(&none);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int signal : {SIGCHLD, SIGHUP, SIGINT, SIGPIPE, SIGQUIT, SIGTERM})
            sigaddset(&defaults, signal);
        ok_ = ::posix_spawnattr_setsigmask(&attributes_, &none) == 0 &&
              ::posix_spawnattr_setsigdefault(&attributes_, &defaults) == 0 &&
              ::posix_spawnattr_setpgroup(&attributes_, 0) == 0 &&
              ::posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK |
                                                           POSIX_SPAWN_SETSIGDEF |
                                                           POSIX_SPAWN_SETPGROUP) == 0;
    }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    bool ok() const { return ok_; }
    const posix_spawnattr_t* get() const { return &attributes_; }

  private:
    posix_spawnattr_t attributes_{};
    bool ok_ = false;
};

void reapWhenItEnds(pid_t child) {
    try {
        std::thread([child] {
            int status = 0;
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the child still runs, and is reaped with us.
    }
}

}  // namespace

std::optional<pid_t> spawnDetached(const std::string& program,
                                   const std::vector<std::string>& arguments) {
    if (program.empty())
        return std::nullopt;
    SpawnAttributes attributes;
    if (!attributes.ok())
        return std::nullopt;

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t child = 0;
    // glibc reports a program that cannot be executed here, not in the child.
    if (::posix_spawnp(&child, program.c_str(), nullptr, attributes.get(), argv.data(), environ) !=
        0)
        return std::nullopt;
    reapWhenItEnds(child);
    return child;
}

}  // namespace quenlark
