#include "readme_command.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "host_file_system.h"
#include "host_program_starter.h"
#include "recording_program_starter.h"
#include "temp_drive.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using testing::RecordingProgramStarter;
using testing::TempDrive;

TEST(ReadmeCommandTest, NotepadFromTheWindowsDirectoryWithTheStartupReadme) {
    EXPECT_EQ(readmeCommandLine("E:\\WINDOWS", "E:\\TOOLS"),
              "E:\\WINDOWS\\notepad.exe E:\\TOOLS\\readme.txt");
    EXPECT_EQ(readmeCommandLine("C:\\WINDOWS", "C:\\"),
              "C:\\WINDOWS\\notepad.exe C:\\\\readme.txt");
    EXPECT_EQ(readmeCommandLine("C:\\MY WIN", "C:\\My Tools"),
              "C:\\MY WIN\\notepad.exe C:\\My Tools\\readme.txt");
}

TEST(ReadmeCommandTest, StartedEditorShowsNoMessage) {
    RecordingProgramStarter programs;
    EXPECT_EQ(openReadme(programs, "E:\\WINDOWS", "E:\\TOOLS"), std::nullopt);
    EXPECT_EQ(programs.started,
              std::vector<std::string>{"E:\\WINDOWS\\notepad.exe E:\\TOOLS\\readme.txt"});
}

TEST(ReadmeCommandTest, FailedStartGivesTheMessageWithTheStartupDirectory) {
    RecordingProgramStarter programs;
    programs.failing = true;
    EXPECT_EQ(openReadme(programs, "E:\\WINDOWS", "E:\\TOOLS"),
              "Error ! Couldn't open Notepad for reading the file E:\\TOOLS\\Readme.txt.");
    EXPECT_EQ(openReadme(programs, "C:\\WINDOWS", "C:\\"),
              "Error ! Couldn't open Notepad for reading the file C:\\\\Readme.txt.");
    EXPECT_EQ(programs.started.size(), 2u);
    EXPECT_EQ(kReadmeFailureStyle, MessageStyle::OkCritical);
}

// The whole way down to a host process, the readme in a drive-root start-up folder.
TEST(ReadmeCommandTest, HostTextViewerOpensTheReadme) {
    TempDrive drive;
    HostFileSystem files(drive.installation().driveMap(), "C:\\");
    fs::path viewer = drive.root().parent_path() / "viewer";
    TempDrive::put(viewer, "#!/bin/sh\necho \"$1\" > \"$0.part\" && mv \"$0.part\" \"$0.args\"\n");
    fs::permissions(viewer, fs::perms::owner_all);

    HostProgramStarter programs(files, viewer.string());
    EXPECT_EQ(openReadme(programs, "C:\\WINDOWS", "C:\\"), std::nullopt);
    fs::path args = viewer.string() + ".args";
    for (int i = 0; i < 1000 && !fs::exists(args); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(TempDrive::read(args), (drive.root() / "readme.txt").string() + "\n");

    HostProgramStarter noViewer(files, (drive.root() / "no-viewer").string());
    EXPECT_EQ(openReadme(noViewer, "C:\\WINDOWS", "C:\\"),
              "Error ! Couldn't open Notepad for reading the file C:\\\\Readme.txt.");
}

}  // namespace
}  // namespace quenlark
