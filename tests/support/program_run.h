#pragma once

#include <string>

#include "faulty_file_system.h"
#include "host_file_system.h"
#include "logo_store.h"
#include "scripted_user.h"
#include "temp_drive.h"

namespace quenlark::testing {

inline const std::string kTestNotice = "Drive C: is the test drive.";

// One run of the program on a temporary drive, started from `startup`
// (C:\TOOLS by default), with a scripted user and faults on request.
struct ProgramRun {
    explicit ProgramRun(const TempDrive& drive, std::string startup = "C:\\TOOLS")
        : host(drive.installation().driveMap(), std::move(startup)),
          files(host),
          windows(drive.installation().driveMap(), drive.windows()),
          user(files),
          store(files, windows, user, kTestNotice) {}

    bool start() { return store.startUp(); }

    HostFileSystem host;
    FaultyFileSystem files;
    HostWindowsDirectory windows;
    ScriptedUser user;
    LogoStore store;
};

}  // namespace quenlark::testing
