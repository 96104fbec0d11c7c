#pragma once

#include "start_options.h"

namespace quenlark {

// Opens the installation to manage (see StartOptions; the demo drive is made
// when it is needed), runs the main window's start-up sequence and, when it
// succeeds, the event loop until the last window is closed. Returns the exit
// status: 1 when no installation can be opened or the start-up sequence
// cannot determine the Windows directory. Needs the QApplication.
int runProgram(const StartOptions& options);

}  // namespace quenlark
