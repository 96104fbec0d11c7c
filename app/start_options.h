#pragma once

#include <QStringList>
#include <optional>

#include "installation_options.h"

namespace quenlark {

using StartOptions = InstallationOptions;

// Reads the command line (program name first). Fills `options` and returns
// nothing when the program should start. Otherwise returns the exit status:
// 0 after --help or --version, printed to standard output; 2 after one line
// on standard error for an option that is wrong. A folder or image that is
// not there is no error here: the window says so when it cannot open it.
std::optional<int> readStartOptions(const QStringList& arguments, StartOptions& options);

}  // namespace quenlark
