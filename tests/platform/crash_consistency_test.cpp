// A copy or write that is cut short, by a refused move or by the process
// being killed at any moment, leaves its destination with its old or its new
// content: never a part of either. The kills are real, on real files: the
// platform's copy runs in a child process that dies on the way.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <iostream>
#include <random>
#include <set>

#include "atomic_file.h"
#include "faulty_file_system.h"
#include "temp_drive.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using testing::logoBytes;
using testing::TempDrive;

// Runs `action` in a child process, without core files; its wait status.
int inChild(const std::function<void()>& action) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        rlimit none{0, 0};
        ::setrlimit(RLIMIT_CORE, &none);
        action();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

class CrashTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TempDrive::put(source, newContent);
        TempDrive::put(destination, oldContent);
    }

    // The two ways the platform writes a file, each putting `newContent` in
    // place of `oldContent`.
    static std::vector<std::pair<const char*, std::function<bool()>>> writers(
        const fs::path& source, const fs::path& destination, const std::string& content) {
        return {{"copy", [=] { return copyFileAtomically(source, destination); }},
                {"write", [=] { return writeFileAtomically(destination, content); }}};
    }

    // Everything in the destination's folder but the platform's temporary
    // files, which a killed process cannot remove.
    std::set<std::string> folderWithoutTemporaries() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(destination.parent_path())) {
            const std::string name = e.path().filename();
            if (name.rfind(".quenlark-", 0) != 0)
                names.insert(name);
        }
        return names;
    }

    TempDrive drive;
    fs::path source = drive.tools() / "new.bmp";
    fs::path destination = drive.windows() / "LOGOW.SYS";
    std::string oldContent = logoBytes("old", 129078);
    std::string newContent = logoBytes("new", 129137);
};

// The file size limit kills the child (SIGXFSZ) on the write that would pass
// it: the copy dies after any number of bytes, in the middle of a write too.
TEST_F(CrashTest, KilledAfterAnyNumberOfBytesLeavesTheOldContent) {
    std::vector<rlim_t> limits{0, 1, 2, 4095, 4096, 65535, 65536, 65537, newContent.size() - 1};
    for (rlim_t at = 3000; at < newContent.size(); at += 7919)
        limits.push_back(at);
    int kills = 0;
    for (const auto& [name, write] : writers(source, destination, newContent)) {
        for (rlim_t limit : limits) {
            const int status = inChild([&, write = write] {
                rlimit small{limit, RLIM_INFINITY};
                ::setrlimit(RLIMIT_FSIZE, &small);
                write();
            });
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ)
                << name << " at " << limit << " bytes was not killed";
            ++kills;
            EXPECT_EQ(TempDrive::read(destination), oldContent) << name << " at " << limit;
        }
        const int status = inChild([write = write] { write(); });
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(TempDrive::read(destination), newContent) << name;
        TempDrive::put(destination, oldContent);
    }
    EXPECT_EQ(folderWithoutTemporaries(), std::set<std::string>{"LOGOW.SYS"});
    std::cout << "killed " << kills << " copies and writes part-way\n";
}

// Killed with the file complete and flushed, just before or just after it is
// moved into place.
TEST_F(CrashTest, KilledAroundTheMoveLeavesOldOrNew) {
    static auto killBefore = [](const char*, const char*) -> int { return ::raise(SIGKILL); };
    static auto killAfter = [](const char* from, const char* to) -> int {
        ::rename(from, to);
        return ::raise(SIGKILL);
    };
    for (const auto& [name, write] : writers(source, destination, newContent)) {
        for (bool after : {false, true}) {
            TempDrive::put(destination, oldContent);
            const int status = inChild([&, write = write] {
                replaceRenameFunction(after ? +killAfter : +killBefore);
                write();
            });
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << name;
            EXPECT_EQ(TempDrive::read(destination), after ? newContent : oldContent) << name;
        }
    }
}

// Killed from outside at random moments while it copies and writes in turn,
// over and over: whatever the moment, the destination is one whole version.
TEST_F(CrashTest, KilledAtRandomMomentsLeavesAWholeVersion) {
    const std::string written = logoBytes("written", 129078);
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    for (int round = 0; round < 60; ++round) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            for (int i = 0;; ++i) {
                if (i % 2 == 0)
                    copyFileAtomically(source, destination);
                else
                    writeFileAtomically(destination, written);
            }
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        const std::string content = TempDrive::read(destination);
        ASSERT_TRUE(content == oldContent || content == newContent || content == written)
            << "seed " << seed << ", round " << round << ": " << content.size() << " bytes";
    }
    EXPECT_EQ(folderWithoutTemporaries(), std::set<std::string>{"LOGOW.SYS"});
}

TEST_F(CrashTest, RefusedMoveLeavesTheOldContentAndNoTemporaryFile) {
    for (const auto& [name, write] : writers(source, destination, newContent)) {
        testing::RenameRefusal refusal;
        EXPECT_FALSE(write()) << name;
    }
    EXPECT_EQ(TempDrive::read(destination), oldContent);
    std::vector<fs::path> left;
    for (const auto& e : fs::directory_iterator(destination.parent_path()))
        left.push_back(e.path().filename());
    EXPECT_EQ(left, std::vector<fs::path>{"LOGOW.SYS"});
}

}  // namespace
}  // namespace quenlark
