#include "settings_file.h"

#include <gtest/gtest.h>

#include "host_file_system.h"
#include "temp_drive.h"

namespace quenlark {
namespace {

using testing::TempDrive;

class SettingsFileTest : public ::testing::Test {
  protected:
    SettingsFileTest() : files(drive.installation().driveMap(), "C:\\TOOLS") {}

    std::optional<std::string> folderRead(std::string_view content) {
        TempDrive::put(drive.windows() / "quenlark.ini", content);
        return readRememberedFolder(files, "C:\\WINDOWS\\quenlark.ini");
    }

    TempDrive drive;
    HostFileSystem files;
};

TEST_F(SettingsFileTest, ReaderDropsTwelveCharactersWithoutCheckingTheKey) {
    EXPECT_EQ(folderRead("LastUsedDir=C:\\MY PICTURES\r\n"), "C:\\MY PICTURES");
    EXPECT_EQ(folderRead("LastUsedDir=\r\n"), "");
    EXPECT_EQ(folderRead("Folder=C:\\PICTURES\r\n"), "CTURES");
    EXPECT_EQ(folderRead("LastUsedDir=C:\\A\r\nLastUsedDir=C:\\B\r\n"), "C:\\A");
    EXPECT_EQ(folderRead("LastUsedDir=C:\\NO END"), "C:\\NO END");
}

TEST_F(SettingsFileTest, ReaderGivesNothingForMissingEmptyOrShortFiles) {
    EXPECT_EQ(readRememberedFolder(files, "C:\\WINDOWS\\quenlark.ini"), std::nullopt);
    EXPECT_EQ(folderRead(""), std::nullopt);
    EXPECT_EQ(folderRead("LastUsedDir\r\n"), std::nullopt);  // 11 characters
    EXPECT_EQ(folderRead("\r\nLastUsedDir=C:\\A\r\n"), std::nullopt);
}

TEST_F(SettingsFileTest, ReaderCopesWithLongAndBinaryLines) {
    const std::string longFolder(5000, 'f');
    EXPECT_EQ(folderRead("LastUsedDir=" + longFolder + "\r\n"), longFolder);
    EXPECT_EQ(folderRead(std::string("\x01\x02\0binary junk\xff\r\n", 17)), "nk\xff");
}

TEST_F(SettingsFileTest, NonAsciiLettersAreWholeCharacters) {
    // Twelve characters, one of them two bytes long in UTF-8.
    EXPECT_EQ(folderRead("LästUsedDir=C:\\Bilder\r\n"), "C:\\Bilder");
    EXPECT_EQ(dropCharacters("äöü", 2), "ü");
    EXPECT_EQ(dropCharacters("äö", 3), std::nullopt);
}

TEST_F(SettingsFileTest, WriterReplacesTheFileWithOneCrLfLine) {
    TempDrive::put(drive.windows() / "quenlark.ini", "[section]\r\nkey=value\r\nmore\r\n");
    ASSERT_TRUE(writeSettingsFile(files, "C:\\WINDOWS\\quenlark.ini", "C:\\MY PICTURES"));
    EXPECT_EQ(TempDrive::read(drive.windows() / "quenlark.ini"), "LastUsedDir=C:\\MY PICTURES\r\n");
}

}  // namespace
}  // namespace quenlark
