#include "sys_info.h"

#include <gtest/gtest.h>

#include "host_file_system.h"
#include "memory_registry.h"
#include "recording_program_starter.h"
#include "temp_drive.h"

namespace quenlark {
namespace {

using testing::MemoryRegistry;
using testing::RecordingProgramStarter;
using testing::TempDrive;

constexpr const char* kKey = "SOFTWARE\\Test";

class ReadRegistryValueTest : public ::testing::Test {
  protected:
    // Reads kKey's `name`, starting from a value that shows whether it changed.
    bool read(const std::string& name) {
        value = "as passed in";
        return readRegistryValue(registry, kLocalMachine, kKey, name, value);
    }

    void expectEveryKeyClosed() {
        EXPECT_TRUE(registry.openHandles.empty());
        EXPECT_EQ(registry.closes.size(), registry.opens.size() - failedOpens);
    }

    MemoryRegistry registry;
    std::string value;
    std::size_t failedOpens = 0;
};

TEST_F(ReadRegistryValueTest, StringLosesItsClosingNulOnly) {
    registry.setString(kKey, "PATH", "C:\\PROGRA~1\\MSINFO\\MSINFO32.EXE");
    registry.setValue(kKey, "Bare", kRegistryString, "no terminator");
    registry.setValue(kKey, "Two", kRegistryString, std::string("x\0\0", 3));

    EXPECT_TRUE(read("path"));
    EXPECT_EQ(value, "C:\\PROGRA~1\\MSINFO\\MSINFO32.EXE");
    EXPECT_TRUE(read("Bare"));
    EXPECT_EQ(value, "no terminator");
    EXPECT_TRUE(read("Two"));
    EXPECT_EQ(value, std::string("x\0", 2));

    ASSERT_EQ(registry.opens.size(), 3u);
    EXPECT_EQ(registry.opens[0].root, kLocalMachine);
    EXPECT_EQ(registry.opens[0].subKey, kKey);
    EXPECT_EQ(registry.opens[0].options, 0u);
    EXPECT_EQ(registry.opens[0].access, 0x2003Fu);
    expectEveryKeyClosed();
}

TEST_F(ReadRegistryValueTest, DwordIsSignedDecimalOfItsLittleEndianBytes) {
    registry.setValue(kKey, "Sixteen", kRegistryDword, std::string("\x10\0\0\0", 4));
    registry.setDword(kKey, "Big", 0x01020304);
    registry.setDword(kKey, "Largest", 0x7FFFFFFF);
    registry.setDword(kKey, "Sign", 0x80000000);
    registry.setDword(kKey, "All", 0xFFFFFFFF);
    registry.setDword(kKey, "Zero", 0);

    const std::pair<const char*, const char*> cases[] = {
        {"Sixteen", "16"},       {"Big", "16909060"}, {"Largest", "2147483647"},
        {"Sign", "-2147483648"}, {"All", "-1"},       {"Zero", "0"},
    };
    for (auto [name, expected] : cases) {
        EXPECT_TRUE(read(name)) << name;
        EXPECT_EQ(value, expected) << name;
    }
    expectEveryKeyClosed();
}

TEST_F(ReadRegistryValueTest, OtherTypesAreFoundButLeaveTheTextAsPassedIn) {
    registry.setValue(kKey, "Expand", 2, std::string("%windir%\0", 9));
    registry.setValue(kKey, "Binary", 3, "\x01\x02");
    EXPECT_TRUE(read("Expand"));
    EXPECT_EQ(value, "as passed in");
    EXPECT_TRUE(read("Binary"));
    EXPECT_EQ(value, "as passed in");
    expectEveryKeyClosed();
}

TEST_F(ReadRegistryValueTest, ValueFillsTheBufferButNoMore) {
    registry.setValue(kKey, "Full", kRegistryString, std::string(1024, 'a'));
    registry.setValue(kKey, "Over", kRegistryString, std::string(1025, 'a'));
    EXPECT_TRUE(read("Full"));
    EXPECT_EQ(value, std::string(1024, 'a'));
    EXPECT_FALSE(read("Over"));
    EXPECT_EQ(value, "");
    expectEveryKeyClosed();
}

TEST_F(ReadRegistryValueTest, MissingKeyOrValueIsNotFoundWithEmptyText) {
    registry.addKey(kKey);
    EXPECT_FALSE(read("PATH"));
    EXPECT_EQ(value, "");
    expectEveryKeyClosed();

    value = "as passed in";
    EXPECT_FALSE(readRegistryValue(registry, kLocalMachine, "SOFTWARE\\Absent", "PATH", value));
    EXPECT_EQ(value, "");
    ++failedOpens;
    expectEveryKeyClosed();  // a key that never opened is not closed
}

TEST_F(ReadRegistryValueTest, EmptyValueIsAnErrorAfterTheKeyIsClosed) {
    registry.setValue(kKey, "Empty", kRegistryString, "");
    EXPECT_THROW(read("Empty"), KeyValueError);
    EXPECT_EQ(value, "as passed in");
    expectEveryKeyClosed();
}

// startSystemInformationTool against a registry filled by each test, on a temporary drive.
class StartSystemInformationToolTest : public ::testing::Test {
  protected:
    StartSystemInformationToolTest() : files(drive.installation().driveMap(), "C:\\TOOLS") {}

    void run() {
        startSystemInformationTool(registry, files, programs,
                                   [this](const std::string& text, MessageStyle style) {
                                       messages.push_back(text);
                                       styles.push_back(style);
                                   });
        EXPECT_TRUE(registry.openHandles.empty()) << "a key was left open";
    }

    void expectUnavailable() {
        EXPECT_EQ(messages,
                  std::vector<std::string>{"System Information Is Unavailable At This Time"});
        EXPECT_EQ(styles, std::vector<MessageStyle>{MessageStyle::Ok});
    }

    TempDrive drive;
    HostFileSystem files;
    MemoryRegistry registry;
    RecordingProgramStarter programs;
    std::vector<std::string> messages;
    std::vector<MessageStyle> styles;
};

TEST_F(StartSystemInformationToolTest, FullPathFromTheFirstPlaceStartsUncheckedAndFirst) {
    registry.setString(kSysInfoPathKey, "PATH", "C:\\Nowhere\\msinfo32.exe");
    registry.setString(kSysInfoFolderKey, "MSINFO", "C:\\TOOLS");
    TempDrive::put(drive.tools() / "MSINFO32.EXE", "MZ");
    run();
    EXPECT_EQ(programs.started, std::vector<std::string>{"C:\\Nowhere\\msinfo32.exe"});
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(registry.opens.size(), 1u);
}

TEST_F(StartSystemInformationToolTest, FolderFromTheSecondPlaceNeedsTheToolInIt) {
    registry.setString(kSysInfoFolderKey, "MSINFO", "C:\\MSINFO");
    TempDrive::put(drive.root() / "MSINFO" / "msinfo32.exe", "MZ");
    run();
    EXPECT_EQ(programs.started, std::vector<std::string>{"C:\\MSINFO\\MSINFO32.EXE"});
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(registry.opens.size(), 2u);
    EXPECT_EQ(registry.opens[0].subKey, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
    EXPECT_EQ(registry.opens[1].subKey, "SOFTWARE\\Microsoft\\Shared Tools Location");
    EXPECT_EQ(registry.queries, std::vector<std::string>{"MSINFO"});
}

TEST_F(StartSystemInformationToolTest, FirstKeyWithoutItsValueFallsBackToTheFolder) {
    registry.addKey(kSysInfoPathKey);
    registry.setString(kSysInfoFolderKey, "MSINFO", "C:\\TOOLS");
    TempDrive::put(drive.tools() / "MSINFO32.EXE", "MZ");
    run();
    EXPECT_EQ(programs.started, std::vector<std::string>{"C:\\TOOLS\\MSINFO32.EXE"});
    EXPECT_EQ(registry.closes.size(), 2u);
}

TEST_F(StartSystemInformationToolTest, FolderWithoutTheToolIsUnavailable) {
    registry.setString(kSysInfoFolderKey, "MSINFO", "C:\\TOOLS");
    std::filesystem::create_directory(drive.tools() / "MSINFO32.EXE");  // a folder is no file
    run();
    EXPECT_TRUE(programs.started.empty());
    expectUnavailable();
}

TEST_F(StartSystemInformationToolTest, NeitherPlaceIsUnavailable) {
    run();
    EXPECT_TRUE(programs.started.empty());
    expectUnavailable();
    EXPECT_EQ(registry.opens.size(), 2u);
}

TEST_F(StartSystemInformationToolTest, ToolThatCannotStartIsUnavailable) {
    registry.setString(kSysInfoPathKey, "PATH", "C:\\WINDOWS\\MSINFO32.EXE");
    programs.failing = true;
    run();
    EXPECT_EQ(programs.started.size(), 1u);
    expectUnavailable();
}

TEST_F(StartSystemInformationToolTest, EmptyFirstValueGoesStraightToTheMessage) {
    registry.setValue(kSysInfoPathKey, "PATH", kRegistryString, "");
    registry.setString(kSysInfoFolderKey, "MSINFO", "C:\\TOOLS");
    TempDrive::put(drive.tools() / "MSINFO32.EXE", "MZ");
    run();
    EXPECT_TRUE(programs.started.empty());
    expectUnavailable();
    EXPECT_EQ(registry.opens.size(), 1u);
}

TEST_F(StartSystemInformationToolTest, OverlongFirstValueFallsBackToTheFolder) {
    registry.setString(kSysInfoPathKey, "PATH", "C:\\" + std::string(1100, 'x'));
    registry.setString(kSysInfoFolderKey, "MSINFO", "C:\\TOOLS");
    TempDrive::put(drive.tools() / "MSINFO32.EXE", "MZ");
    run();
    EXPECT_EQ(programs.started, std::vector<std::string>{"C:\\TOOLS\\MSINFO32.EXE"});
}

}  // namespace
}  // namespace quenlark
