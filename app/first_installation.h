#pragma once

#include <string>

#include "installations.h"
#include "start_options.h"

namespace quenlark {

// The installation the window starts on, and what went wrong on the way.
struct FirstInstallation {
    // Managed by `installations`; without an installation, one that has no
    // drive but the host's and no Windows directory.
    CurrentInstallation* current = nullptr;
    bool managed = false;
    // For a box over the window: why the installation asked for could not be
    // opened and what was opened instead; empty when nothing went wrong.
    std::string problems;
};

// Manages the installation the command line names; without one, the one
// used last; at first, the demo drive (made when it is needed). When the one
// asked for cannot be opened, the one used before it, then the demo drive,
// and when none can, no installation at all: the window still appears, to
// say why and to let the user open another.
FirstInstallation manageFirstInstallation(Installations& installations,
                                          const StartOptions& options);

}  // namespace quenlark
