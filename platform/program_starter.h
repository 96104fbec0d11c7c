#pragma once

#include <string>

namespace quenlark {

// Starts another program from a Windows command line, with a normal focused
// window, without waiting for it. Never through a shell.
class ProgramStarter {
  public:
    virtual ~ProgramStarter() = default;

    // `commandLine` as Windows takes it: "C:\WINDOWS\notepad.exe C:\TOOLS\readme.txt".
    // False when the program cannot be started.
    virtual bool start(const std::string& commandLine) = 0;
};

}  // namespace quenlark
