#pragma once

#include "start_options.h"

namespace quenlark {

// Opens the installation to manage (see manageFirstInstallation), runs the
// main window's start-up sequence, shows the window, says in a box over it
// what could not be opened, and runs the event loop until the last window is
// closed. Returns the exit status: 1 when the start-up sequence cannot
// determine the Windows directory. Needs the QApplication.
int runProgram(const StartOptions& options);

}  // namespace quenlark
