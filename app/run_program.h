#pragma once

#include "start_options.h"

namespace quenlark {

// Sets the program up on the platform of the host (preparing the demo drive
// when no Windows folder is given), runs the main window's load event and,
// when it succeeds, the event loop until the last window is closed. Returns
// the exit status: 1 when the demo drive cannot be made or the start-up
// sequence cannot determine the Windows directory. Needs the QApplication.
int runProgram(const StartOptions& options);

}  // namespace quenlark
