#include "windows_path.h"

#include <gtest/gtest.h>

namespace quenlark {
namespace {

std::string parsed(std::string_view path, std::string_view current = "C:\\TOOLS") {
    auto p = parseWindowsPath(path, current);
    return p ? p->text() : "<none>";
}

TEST(WindowsPath, AbsoluteAndRelativeForms) {
    EXPECT_EQ(parsed("C:\\WINDOWS\\logow.sys"), "C:\\WINDOWS\\logow.sys");
    EXPECT_EQ(parsed("d:/win98/LOGOS.SYS"), "D:\\win98\\LOGOS.SYS");
    EXPECT_EQ(parsed("C:\\"), "C:\\");
    EXPECT_EQ(parsed("logo.ori", "C:\\TOOLS\\ORIGINAL"), "C:\\TOOLS\\ORIGINAL\\logo.ori");
    EXPECT_EQ(parsed("BACKUP", "C:\\"), "C:\\BACKUP");
    EXPECT_EQ(parsed("\\WINDOWS", "C:\\TOOLS"), "C:\\WINDOWS");
    EXPECT_EQ(parsed("C:readme.txt"), "C:\\TOOLS\\readme.txt");
    EXPECT_EQ(parsed("logo.ori", ""), "<none>");
}

TEST(WindowsPath, DotsAndDoubledSeparatorsResolve) {
    // The readme command line has two backslashes in a row at a drive root.
    EXPECT_EQ(parsed("C:\\\\readme.txt"), "C:\\readme.txt");
    EXPECT_EQ(parsed("C:\\TOOLS\\..\\WINDOWS\\.\\logow.sys"), "C:\\WINDOWS\\logow.sys");
    EXPECT_EQ(parsed("..\\..\\..", "C:\\A\\B"), "C:\\");
}

TEST(WindowsPath, TextEndsAtTheFirstNul) {
    using namespace std::string_view_literals;
    EXPECT_EQ(parsed("C:\\..\0x"sv), "C:\\");
    EXPECT_EQ(parsed("C:\\WINDOWS\0\\..\\..\\etc"sv), "C:\\WINDOWS");
    EXPECT_EQ(parsed("..\0\\WINDOWS"sv, "C:\\TOOLS"), "C:\\");
    EXPECT_EQ(parsed("logo.ori"sv, "C:\\TOOLS\0\\.."sv), "C:\\TOOLS\\logo.ori");
    EXPECT_EQ(parsed("\0C:\\x"sv, "D:\\"), "D:\\");
    EXPECT_EQ(parsed("x"sv, "\0C:\\"sv), "<none>");
}

TEST(WindowsPath, ParentFolderKeepsTheDriveRootBackslash) {
    EXPECT_EQ(windowsParentFolder("C:\\MY PICTURES\\a.bmp"), "C:\\MY PICTURES");
    EXPECT_EQ(windowsParentFolder("C:\\a.bmp"), "C:\\");
    EXPECT_EQ(windowsParentFolder("a.bmp"), "");
}

TEST(WindowsPath, NamesCompareWithoutLetterCase) {
    EXPECT_TRUE(sameNameIgnoringCase("LOGO.SYS", "logo.sys"));
    EXPECT_FALSE(sameNameIgnoringCase("logo.sys", "logow.sys"));
    EXPECT_FALSE(sameNameIgnoringCase("BACKUP", "BACKUPS"));
}

}  // namespace
}  // namespace quenlark
