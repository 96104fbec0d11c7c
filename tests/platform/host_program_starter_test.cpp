#include "host_program_starter.h"
#include "host_file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "temp_drive.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using testing::TempDrive;

// A host program that writes how many arguments it got, then each one on a
// line of its own, to `<itself>.args`.
void putRecorder(const fs::path& path) {
    TempDrive::put(path,
                   "#!/bin/sh\n"
                   "out=\"$0.args\"\n"
                   "{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > \"$out.part\"\n"
                   "mv \"$out.part\" \"$out\"\n");
    fs::permissions(path, fs::perms::owner_all);
}

// What the recorder at `path` wrote, once it has run; "<not run>" after 10 s.
std::string recorded(const fs::path& path) {
    fs::path args = path.string() + ".args";
    for (int i = 0; i < 1000; ++i) {
        if (fs::exists(args))
            return TempDrive::read(args);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "<not run>";
}

// The recorder gets time to run; it must still not have.
bool ranWithin(const fs::path& path, std::chrono::milliseconds wait) {
    std::this_thread::sleep_for(wait);
    return fs::exists(path.string() + ".args");
}

class HostProgramStarterTest : public ::testing::Test {
  protected:
    HostProgramStarterTest()
        : files(drive.installation().driveMap(), "C:\\TOOLS"),
          viewer(drive.root().parent_path() / "viewer"),
          starter(files, viewer.string()) {
        putRecorder(viewer);
    }

    TempDrive drive;
    HostFileSystem files;
    fs::path viewer;
    HostProgramStarter starter;
};

TEST_F(HostProgramStarterTest, NotepadOpensTheReadmeInTheTextViewer) {
    TempDrive::put(drive.tools() / "readme.txt", "hello");
    ASSERT_TRUE(starter.start("C:\\WINDOWS\\notepad.exe C:\\TOOLS\\readme.txt"));
    EXPECT_EQ(recorded(viewer), "1\n" + (drive.tools() / "readme.txt").string() + "\n");
}

TEST_F(HostProgramStarterTest, NotepadIsKnownInAnyLetterCaseAndFindsTheFileSo) {
    TempDrive::put(drive.tools() / "ReadMe.TXT", "hello");
    ASSERT_TRUE(starter.start("c:\\windows\\NOTEPAD.EXE c:\\tools\\readme.txt"));
    EXPECT_EQ(recorded(viewer), "1\n" + (drive.tools() / "ReadMe.TXT").string() + "\n");
}

TEST_F(HostProgramStarterTest, DriveRootWithTwoBackslashesNamesTheRootFile) {
    ASSERT_TRUE(starter.start("C:\\WINDOWS\\notepad.exe C:\\\\readme.txt"));
    EXPECT_EQ(recorded(viewer), "1\n" + (drive.root() / "readme.txt").string() + "\n");
}

TEST_F(HostProgramStarterTest, BlanksInBothPathsKeepOneArgument) {
    fs::create_directories(drive.root() / "MY WIN");
    ASSERT_TRUE(starter.start("C:\\MY WIN\\notepad.exe C:\\MY DOCS\\readme.txt"));
    EXPECT_EQ(recorded(viewer), "1\n" + (drive.root() / "MY DOCS" / "readme.txt").string() + "\n");
}

TEST_F(HostProgramStarterTest, MissingReadmeIsTheViewersToReport) {
    ASSERT_TRUE(starter.start("C:\\WINDOWS\\notepad.exe C:\\TOOLS\\readme.txt"));
    EXPECT_EQ(recorded(viewer), "1\n" + (drive.tools() / "readme.txt").string() + "\n");
}

TEST_F(HostProgramStarterTest, NotepadFailsWithoutAUsableFile) {
    EXPECT_FALSE(starter.start("C:\\WINDOWS\\notepad.exe D:\\TOOLS\\readme.txt"));
    EXPECT_FALSE(starter.start("C:\\WINDOWS\\notepad.exe"));
    EXPECT_FALSE(starter.start("C:\\WINDOWS\\notepad.exe   "));
    EXPECT_FALSE(ranWithin(viewer, std::chrono::milliseconds(200)));
}

TEST(HostProgramStarterViewerTest, FailsWhenTheTextViewerCannotBeStarted) {
    TempDrive drive;
    HostFileSystem files(drive.installation().driveMap(), "C:\\TOOLS");
    TempDrive::put(drive.tools() / "readme.txt", "hello");
    const std::string line = "C:\\WINDOWS\\notepad.exe C:\\TOOLS\\readme.txt";

    EXPECT_FALSE(HostProgramStarter(files, (drive.root() / "no-viewer").string()).start(line));
    EXPECT_FALSE(HostProgramStarter(files, "quenlark-no-such-viewer").start(line));
    TempDrive::put(drive.root() / "not-executable", "#!/bin/sh\n");
    EXPECT_FALSE(HostProgramStarter(files, (drive.root() / "not-executable").string()).start(line));
    // A bare name is looked up on PATH.
    EXPECT_TRUE(HostProgramStarter(files, "true").start(line));
}

TEST_F(HostProgramStarterTest, HostProgramOnTheDriveRunsWithTheArgumentsHostPath) {
    putRecorder(drive.tools() / "record.sh");
    ASSERT_TRUE(starter.start("C:\\TOOLS\\RECORD.SH c:\\tools\\readme.txt"));
    EXPECT_EQ(recorded(drive.tools() / "record.sh"),
              "1\n" + (drive.tools() / "readme.txt").string() + "\n");
}

TEST_F(HostProgramStarterTest, HostProgramGetsOtherArgumentTextAsItIs) {
    fs::create_directories(drive.root() / "MY TOOLS");
    putRecorder(drive.root() / "MY TOOLS" / "record.sh");
    ASSERT_TRUE(starter.start("\"C:\\MY TOOLS\\record.sh\" hello  world"));
    EXPECT_EQ(recorded(drive.root() / "MY TOOLS" / "record.sh"), "1\nhello  world\n");
}

TEST_F(HostProgramStarterTest, RelativeProgramStartsFromTheCurrentDirectoryWithoutArgument) {
    putRecorder(drive.tools() / "record.sh");
    ASSERT_TRUE(starter.start("record.sh"));
    EXPECT_EQ(recorded(drive.tools() / "record.sh"), "0\n");
}

TEST_F(HostProgramStarterTest, ProgramThatCannotRunIsAFailedStart) {
    EXPECT_FALSE(starter.start("C:\\TOOLS\\MSINFO32.EXE"));  // missing
    EXPECT_FALSE(starter.start("C:\\WINDOWS"));              // a folder
    EXPECT_FALSE(starter.start("E:\\MSINFO32.EXE"));         // unmapped drive
    EXPECT_FALSE(starter.start(""));

    TempDrive::put(drive.tools() / "plain.sh", "#!/bin/sh\n");
    EXPECT_FALSE(starter.start("C:\\TOOLS\\plain.sh"));  // no execute permission

    // A Windows program: executable bits, but not a format the host runs.
    TempDrive::put(drive.tools() / "MSINFO32.EXE", std::string("MZ\x90\0\x03\0\0\0", 8));
    fs::permissions(drive.tools() / "MSINFO32.EXE", fs::perms::owner_all);
    EXPECT_FALSE(starter.start("C:\\TOOLS\\MSINFO32.EXE"));
}

}  // namespace
}  // namespace quenlark
