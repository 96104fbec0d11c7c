#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quenlark {

// A command line read as a program and the text that follows it.
struct CommandLineSplit {
    std::string program;
    std::string arguments;  // leading blanks dropped

    bool operator==(const CommandLineSplit&) const = default;
};

// The ways Windows may read `commandLine`. A quoted program ends at its
// closing quote, which gives one reading. An unquoted program ends at a blank,
// but Windows tries one blank after another until the program it names
// exists ("C:\MY WIN\notepad.exe x" is tried as "C:\MY" first), so every
// blank gives a reading, shortest program first, and the whole line is the
// last one. A line of blanks gives none.
std::vector<CommandLineSplit> commandLineSplits(std::string_view commandLine);

// The single argument that a program such as Notepad takes: the whole argument
// text, blanks around it dropped and one pair of enclosing quotes removed, so
// that "C:\MY DOCS\readme.txt" stays one file name. Backslashes are kept as
// they are; "C:\\readme.txt" is left for the path lookup to read as C:\readme.txt.
std::string wholeArgument(std::string_view arguments);

}  // namespace quenlark
