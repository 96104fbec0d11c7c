#pragma once

#include <optional>
#include <string>

#include "program_starter.h"
#include "user_interaction.h"

namespace quenlark {

// Notepad from the Windows directory with the readme of the start-up
// directory: "C:\WINDOWS\notepad.exe C:\TOOLS\readme.txt". Both directories
// are taken as stored, so a drive root gives two backslashes in a row
// ("C:\\readme.txt"), which Windows reads as one.
std::string readmeCommandLine(const std::string& windowsDirectory,
                              const std::string& startupDirectory);

// The box "Read Me" shows when Notepad cannot be started.
std::string readmeFailureMessage(const std::string& startupDirectory);
inline constexpr MessageStyle kReadmeFailureStyle = MessageStyle::OkCritical;

// Opens the readme in Notepad without waiting for it. Nothing when Notepad
// started; otherwise the text for a box of kReadmeFailureStyle, which the
// caller keeps as its message text and shows. The readme itself is not looked
// for: a missing one is Notepad's to report.
std::optional<std::string> openReadme(ProgramStarter& programs, const std::string& windowsDirectory,
                                      const std::string& startupDirectory);

}  // namespace quenlark
