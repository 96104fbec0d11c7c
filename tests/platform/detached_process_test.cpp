#include "detached_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace quenlark {
namespace {

namespace fs = std::filesystem;

// Children of this process that have ended but were not reaped.
int zombieChildren() {
    int zombies = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        // "pid (comm) state ppid ...": comm may hold blanks, so read after ')'.
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        char state = 0;
        pid_t parent = 0;
        rest >> state >> parent;
        if (parent == ::getpid() && state == 'Z')
            ++zombies;
    }
    return zombies;
}

std::string statusField(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0)
            return line.substr(field.size() + 1);
    return "<none>";
}

bool endsWithin(pid_t pid, std::chrono::seconds limit) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        if (::kill(pid, 0) != 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(DetachedProcessTest, EndedChildrenAreReaped) {
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(spawnDetached("true", {}).has_value());
    auto child = spawnDetached("/bin/sh", {"-c", "exit 3"});
    ASSERT_TRUE(child.has_value());
    // kill(pid, 0) keeps succeeding for a zombie, so this only ends once reaped.
    EXPECT_TRUE(endsWithin(*child, std::chrono::seconds(10)));
    for (int i = 0; i < 500 && zombieChildren() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(zombieChildren(), 0);
}

TEST(DetachedProcessTest, ChildHasItsOwnGroupAndBlocksNothing) {
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigset_t previous;
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &blocked, &previous), 0);
    auto child = spawnDetached("sleep", {"30"});
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ASSERT_TRUE(child.has_value());

    EXPECT_EQ(::getpgid(*child), *child);
    EXPECT_EQ(statusField(*child, "SigBlk"), "\t0000000000000000");
    ::kill(*child, SIGTERM);
    EXPECT_TRUE(endsWithin(*child, std::chrono::seconds(10)));
}

TEST(DetachedProcessTest, ProgramsThatCannotStartGiveNothing) {
    EXPECT_FALSE(spawnDetached("", {}).has_value());
    EXPECT_FALSE(spawnDetached("quenlark-no-such-program", {}).has_value());
    EXPECT_FALSE(spawnDetached("/nonexistent/program", {}).has_value());
    EXPECT_FALSE(spawnDetached("/etc", {}).has_value());
}

}  // namespace
}  // namespace quenlark
