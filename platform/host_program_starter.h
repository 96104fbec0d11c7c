#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "host_paths.h"
#include "program_starter.h"

namespace quenlark {

// The desktop's way of opening a file with its default application.
inline constexpr const char* kDesktopFileOpener = "xdg-open";

// Starts programs on a host that cannot run Windows programs. A command line
// whose program is Notepad opens its file in the host's text viewer instead;
// a program that is a host file reached through the drive map is run itself.
// Paths are found through `paths`.
class HostProgramStarter : public ProgramStarter {
  public:
    // `textViewer` is run with the host path of the file to show; a bare name
    // is looked up on PATH.
    explicit HostProgramStarter(const HostPaths& paths,
                                std::string textViewer = kDesktopFileOpener);

    // False when the program cannot be run, when Notepad is given no file or a
    // file on a drive that is not mapped, and when the text viewer cannot be
    // started. The file itself is not looked at: a missing one is the viewer's
    // to report.
    bool start(const std::string& commandLine) override;

  private:
    bool openInTextViewer(const std::string& arguments);
    bool runHostProgram(const std::filesystem::path& program, const std::string& arguments);

    const HostPaths& paths_;
    std::string textViewer_;
};

// Whether `program` names Windows' text editor: "notepad.exe" or "notepad" in
// any folder and any letter case.
bool isNotepad(const std::string& program);

}  // namespace quenlark
