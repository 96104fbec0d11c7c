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

// A commit cut short is finished at the next open only on the image as it
// left it. When something wrote to the image in between (an emulator started
// on it: Windows' mark of a session that did not end, a file of its own), the
// change is set aside, the open says so, and the image stays as it was found.
TEST_F(DiskImageTest, ACommitCutShortIsFinishedOnlyWhereNothingWroteSince) {
    SKIP_WITHOUT_FUSE();
    struct Way {
        const char* what;
        std::string killAt;  // a step, or "-": during the commit
        bool emulatorWroteSince;
    };
    const std::vector<Way> ways{
        {"before the commit, then an emulator", "recorded", true},
        {"during the commit", "-", false},
        {"during the commit, then an emulator", "-", true},
    };
    const fs::path source = drive.tools() / "next.bmp";
    TempDrive::put(source, logoBytes("next"));
    const fs::path emulated = drive.tools() / "emu.txt";
    TempDrive::put(emulated, "written by Windows");
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        fs::remove_all(workFolder());
        const MadeImage image = maker.makeRaw("crash.img", windowsRecipe());
        const std::string original = fileContent(image.file);
        int status = 0;
        {
            // Slowed down to a trickle, the commit writes its first clusters
            // and is killed with the whole run as soon as the image shows
            // them, long before it writes its last.
            ToolFolder tools(drive.root().parent_path() /
                             ("bin" + std::to_string(&way - &ways[0])));
            const std::string written = "/usr/bin/stat -c %y '" + image.file.string() + "'";
            tools.replace("qemu-img",
                          "if [ \"$1\" = commit ]; then shift; before=$(" + written +
                              "); /usr/bin/qemu-img commit -r 65536 \"$@\" &\n"
                              "for i in $(/usr/bin/seq 200); do [ \"$(" +
                              written +
                              ")\" = \"$before\" ] || break; /usr/bin/sleep 0.05; done\n"
                              "kill -KILL $PPID; kill -KILL 0; fi\nexec /usr/bin/qemu-img \"$@\"");
            status =
                runHelper({image.file.string(), workFolder().string(), source.string(), way.killAt},
                          std::nullopt);
        }
        ASSERT_TRUE(WIFSIGNALED(status));
        // Killed during the commit: some of it is in the image, not all.
        EXPECT_EQ(fileContent(image.file) != original, way.killAt == "-");
        EXPECT_NE(brief(maker.readFile(image, "WINDOWS/LOGOW.SYS")), brief(logoBytes("next")));
        if (way.emulatorWroteSince) {
            maker.giveImperfections(image, {Imperfection::NotShutDownCleanly});
            maker.run("mcopy", {"-i", image.file.string() + "@@" + std::to_string(image.offset),
                                emulated.string(), "::/WINDOWS/EMU.TXT"});
        }
        const std::string found = fileContent(image.file);

        auto disk = open(image);
        ASSERT_TRUE(disk);
        EXPECT_FALSE(anythingLeftIn(workFolder()));
        if (!way.emulatorWroteSince) {
            EXPECT_EQ(brief(maker.readFile(image, "WINDOWS/LOGOW.SYS")), brief(logoBytes("next")));
            EXPECT_EQ(maker.fsckFindings(image), "");
            continue;
        }
        EXPECT_TRUE(fileContent(image.file) == found);
        EXPECT_EQ(maker.readFile(image, "WINDOWS/EMU.TXT"), "written by Windows");
        EXPECT_TRUE(mentions(disk->notice(),
                             "was cut short and not finished, because the image "
                             "has been written to since"));
        std::vector<fs::path> setAside;
        for (const auto& entry : fs::directory_iterator(workFolder()))
            if (entry.path().filename().string().rfind("set-aside-", 0) == 0)
                setAside.push_back(entry.path());
        ASSERT_EQ(setAside.size(), 1u);
        EXPECT_TRUE(fs::exists(setAside[0] / "overlay.qcow2"));
        EXPECT_TRUE(mentions(disk->notice(), setAside[0].string()));
        // Nothing is left to finish: a change goes ahead on the image, where
        // the emulator wrote to one whole (not to one the commit half wrote).
        if (way.killAt == "-")
            continue;
        disk.reset();
        disk = open(image);
        ImageFileSystem files(*disk, DriveMap(), onHost(drive.tools()));
        EXPECT_TRUE(files.copyFile("next.bmp", "C:\\WINDOWS\\LOGOW.SYS")) << files.lastFailure();
        EXPECT_EQ(maker.readFile(image, "WINDOWS/EMU.TXT"), "written by Windows");
    }
}

}  // namespace
}  // namespace quenlark
