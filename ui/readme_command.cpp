#include "readme_command.h"

namespace quenlark {

std::string readmeCommandLine(const std::string& windowsDirectory,
                              const std::string& startupDirectory) {
    return windowsDirectory + "\\notepad.exe " + startupDirectory + "\\readme.txt";
}

std::string readmeFailureMessage(const std::string& startupDirectory) {
    return "Error ! Couldn't open Notepad for reading the file " + startupDirectory +
           "\\Readme.txt.";
}

std::optional<std::string> openReadme(ProgramStarter& programs, const std::string& windowsDirectory,
                                      const std::string& startupDirectory) {
    if (programs.start(readmeCommandLine(windowsDirectory, startupDirectory)))
        return std::nullopt;
    return readmeFailureMessage(startupDirectory);
}

}  // namespace quenlark
