// A change to a disk image killed at any moment, by SIGKILL at each of its
// steps or from outside at random times, with every program it started:
// after the next open the image is clean and holds the old or the new logo,
// never a mix, and nothing of the killed run is left mounted or running.
// Killed alone, its daemons end with it without waiting for the next open.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "disk_image_fixture.h"
#include "process_files.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using namespace testing;

// Waits until every copy of the helper in its process group `group` has
// ended. The copy that starts a tool is the helper itself until the tool's
// program replaces it, arguments and open files (the image's change lock
// among them) included; killed in between, it ends a moment after the
// helper. The tools are the next open's to end, not the test's.
void waitForCopiesOfHelper(pid_t group) {
    const std::string name = fs::path(IMAGE_CHANGE_HELPER).filename().string().substr(0, 15);
    for (const auto& process : fs::directory_iterator("/proc")) {
        const std::string pid = process.path().filename();
        if (pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        // "pid (name) state parent group ...", the name as the kernel keeps it.
        const std::string stat = readProcessFile(std::stoi(pid), "stat");
        const auto open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos ||
            stat.substr(open + 1, close - open - 1) != name)
            continue;
        std::istringstream rest(stat.substr(close + 1));
        char state = 0;
        pid_t parent = 0, processGroup = 0;
        if (!(rest >> state >> parent >> processGroup) || processGroup != group)
            continue;
        pollfd ended{static_cast<int>(::syscall(SYS_pidfd_open, std::stoi(pid), 0)), POLLIN, 0};
        if (ended.fd >= 0) {
            ::poll(&ended, 1, 10000);
            ::close(ended.fd);
        }
    }
}

// Runs the helper in a process group of its own; its wait status, after
// killing the whole group `killAfter` into the run when given.
int runHelper(const std::vector<std::string>& arguments,
              std::optional<std::chrono::microseconds> killAfter) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        std::vector<char*> argv{const_cast<char*>(IMAGE_CHANGE_HELPER)};
        for (const auto& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(IMAGE_CHANGE_HELPER, argv.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid);
    if (killAfter) {
        std::this_thread::sleep_for(*killAfter);
        ::kill(-pid, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    waitForCopiesOfHelper(pid);
    return status;
}

// A mount, or a process of ours (the test's own aside), that names `folder`.
bool anythingLeftIn(const fs::path& folder) {
    std::ifstream mounts("/proc/mounts");
    std::string line;
    while (std::getline(mounts, line))
        if (line.find(folder.string()) != std::string::npos)
            return true;
    for (const auto& process : fs::directory_iterator("/proc")) {
        const std::string pid = process.path().filename();
        if (pid.find_first_not_of("0123456789") != std::string::npos ||
            pid == std::to_string(::getpid()))
            continue;
        // Not through a stream: one throws when the process ends as it is read.
        if (readProcessFile(std::stoi(pid), "cmdline").find(folder.string()) != std::string::npos)
            return true;
    }
    return false;
}

TEST_F(DiskImageTest, KilledAnywhereLeavesTheOldOrTheNewLogo) {
    SKIP_WITHOUT_FUSE();
    const std::vector<std::string> steps{"checked",  "overlay made",    "exported",
                                         "written",  "checked by fsck", "export stopped",
                                         "recorded", "committed",       "finished"};
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    int round = 0;
    for (ImageFormat format : {ImageFormat::Raw, ImageFormat::Qcow2}) {
        SCOPED_TRACE(qemuFormatName(format) + ", seed " + std::to_string(seed));
        MadeImage image = maker.makeRaw("crash.img", windowsRecipe());
        if (format != ImageFormat::Raw)
            image = maker.convert(image, format, "crash.qcow2");
        std::string installed = logoBytes("old wait");

        // Each step, then random moments over the whole change.
        for (std::size_t kill = 0; kill < steps.size() + 6; ++kill) {
            const bool atStep = kill < steps.size();
            const std::string step = atStep ? steps[kill] : "-";
            SCOPED_TRACE(atStep ? "killed at " + step : "killed at random");
            const std::string next = logoBytes("round " + std::to_string(++round));
            const fs::path source = drive.tools() / "next.bmp";
            TempDrive::put(source, next);

            const auto delay =
                std::chrono::microseconds(std::uniform_int_distribution<int>(0, 300000)(random));
            const int status =
                runHelper({image.file.string(), workFolder().string(), source.string(), step},
                          atStep ? std::nullopt : std::optional(delay));
            if (atStep) {
                ASSERT_TRUE(WIFSIGNALED(status)) << "not killed at " << step;
                // Killed alone, between its tools: its daemons end with it.
                for (int wait = 0; wait < 100 && anythingLeftIn(workFolder()); ++wait)
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                EXPECT_FALSE(anythingLeftIn(workFolder()));
            }

            // The next open finishes or drops what the killed run left.
            ASSERT_TRUE(open(image));
            const auto now = maker.readFile(image, "WINDOWS/LOGOW.SYS");
            if (atStep) {
                // From "recorded" on, the verified change is finished by the open.
                EXPECT_EQ(brief(now), brief(kill >= 6 ? next : installed));
            } else {
                EXPECT_TRUE(now == installed || now == next) << brief(now);
            }
            installed = now.value_or("");
            EXPECT_EQ(maker.fsckFindings(image), "");
            EXPECT_FALSE(anythingLeftIn(workFolder()));
        }
    }
}

// Killed alone in the middle of its commit, which goes on without it: the
// next open ends that commit before it commits again.
TEST_F(DiskImageTest, KilledAloneItsCommitIsEndedByTheNextOpen) {
    SKIP_WITHOUT_FUSE();
    const MadeImage image = maker.makeRaw("crash.img", windowsRecipe());
    const fs::path source = drive.tools() / "next.bmp";
    TempDrive::put(source, logoBytes("next"));
    // The commit waits on a pipe that nobody writes to.
    const fs::path pipe = drive.root().parent_path() / "never-written";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    int status = 0;
    {
        ToolFolder tools(drive.root().parent_path() / "bin");
        tools.replace("qemu-img", "[ \"$1\" = commit ] && kill -KILL $PPID && read _ < '" +
                                      pipe.string() + "'\nexec /usr/bin/qemu-img \"$@\"");
        status = runHelper({image.file.string(), workFolder().string(), source.string(), "-"},
                           std::nullopt);
    }
    ASSERT_TRUE(WIFSIGNALED(status));

    ASSERT_TRUE(open(image));
    EXPECT_EQ(brief(maker.readFile(image, "WINDOWS/LOGOW.SYS")), brief(logoBytes("next")));
    EXPECT_FALSE(anythingLeftIn(workFolder()));
    // Should the open have left the commit waiting, it ends now.
    const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0)
        ::close(writer);
}

}  // namespace
}  // namespace quenlark
