#pragma once

#include <string>
#include <vector>

#include "program_starter.h"

namespace quenlark::testing {

// Remembers every command line it is asked to start; each start succeeds
// unless `failing` is set.
class RecordingProgramStarter : public ProgramStarter {
  public:
    bool start(const std::string& commandLine) override {
        started.push_back(commandLine);
        return !failing;
    }

    std::vector<std::string> started;
    bool failing = false;
};

}  // namespace quenlark::testing
