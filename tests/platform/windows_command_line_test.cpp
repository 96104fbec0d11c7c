#include "windows_command_line.h"

#include <gtest/gtest.h>

namespace quenlark {
namespace {

using Splits = std::vector<CommandLineSplit>;

TEST(CommandLineSplitsTest, ReadmeLineGivesEditorAndFileFirst) {
    EXPECT_EQ(commandLineSplits("C:\\WINDOWS\\notepad.exe C:\\TOOLS\\readme.txt"),
              (Splits{{"C:\\WINDOWS\\notepad.exe", "C:\\TOOLS\\readme.txt"},
                      {"C:\\WINDOWS\\notepad.exe C:\\TOOLS\\readme.txt", ""}}));
    EXPECT_EQ(commandLineSplits("C:\\WINDOWS\\notepad.exe C:\\\\readme.txt").front(),
              (CommandLineSplit{"C:\\WINDOWS\\notepad.exe", "C:\\\\readme.txt"}));
}

TEST(CommandLineSplitsTest, UnquotedProgramIsTriedAtEveryBlankShortestFirst) {
    EXPECT_EQ(commandLineSplits("C:\\MY WIN\\notepad.exe  C:\\MY DOCS\\readme.txt"),
              (Splits{{"C:\\MY", "WIN\\notepad.exe  C:\\MY DOCS\\readme.txt"},
                      {"C:\\MY WIN\\notepad.exe", "C:\\MY DOCS\\readme.txt"},
                      {"C:\\MY WIN\\notepad.exe  C:\\MY", "DOCS\\readme.txt"},
                      {"C:\\MY WIN\\notepad.exe  C:\\MY DOCS\\readme.txt", ""}}));
}

TEST(CommandLineSplitsTest, ProgramAloneAndSurroundingBlanks) {
    EXPECT_EQ(commandLineSplits("C:\\WINDOWS\\MSINFO32.EXE"),
              (Splits{{"C:\\WINDOWS\\MSINFO32.EXE", ""}}));
    EXPECT_EQ(commandLineSplits(" \tC:\\A.EXE\t x "),
              (Splits{{"C:\\A.EXE", "x "}, {"C:\\A.EXE\t x", ""}}));
    EXPECT_TRUE(commandLineSplits("").empty());
    EXPECT_TRUE(commandLineSplits("  \t ").empty());
}

TEST(CommandLineSplitsTest, QuotedProgramEndsAtItsQuote) {
    EXPECT_EQ(commandLineSplits("\"C:\\MY WIN\\notepad.exe\"   C:\\a b.txt"),
              (Splits{{"C:\\MY WIN\\notepad.exe", "C:\\a b.txt"}}));
    EXPECT_EQ(commandLineSplits("\"C:\\MY WIN\\app.exe\""), (Splits{{"C:\\MY WIN\\app.exe", ""}}));
    EXPECT_EQ(commandLineSplits("\"C:\\MY WIN\\app.exe"), (Splits{{"C:\\MY WIN\\app.exe", ""}}));
}

TEST(WholeArgumentTest, KeepsTheWholeTextAsOneFileName) {
    EXPECT_EQ(wholeArgument("C:\\MY DOCS\\readme.txt"), "C:\\MY DOCS\\readme.txt");
    EXPECT_EQ(wholeArgument("  \"C:\\MY DOCS\\readme.txt\" \t"), "C:\\MY DOCS\\readme.txt");
    EXPECT_EQ(wholeArgument("C:\\\\readme.txt"), "C:\\\\readme.txt");
    EXPECT_EQ(wholeArgument("\""), "\"");
    EXPECT_EQ(wholeArgument("   "), "");
}

}  // namespace
}  // namespace quenlark
