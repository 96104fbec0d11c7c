#include "run_program.h"

#include <QApplication>
#include <cstdio>

#include "demo_drive.h"
#include "main_window.h"
#include "host_file_system.h"
#include "host_program_starter.h"
#include "host_registry.h"
#include "program_style.h"
#include "windows_directory.h"

namespace quenlark {

int runProgram(const StartOptions& options) {
    applyProgramLook();

    std::filesystem::path windowsFolder = options.windowsFolder;
    if (windowsFolder.empty()) {
        std::string error;
        windowsFolder = prepareDemoDrive(demoDriveRoot(), error);
        if (windowsFolder.empty()) {
            std::fprintf(stderr, "quenlark: %s\n", error.c_str());
            return 1;
        }
    }

    const HostInstallation installation{windowsFolder, options.driveLetter};
    HostFileSystem files(installation.driveMap());
    HostWindowsDirectory windowsDirectory(files.drives(), windowsFolder);
    HostProgramStarter programs(files);
    HostRegistry registry;
    Platform platform{files,    windowsDirectory, files.drives(),
                      programs, registry,         installation.notice()};

    MainWindow window(platform);
    if (!window.startUp())
        return 1;
    window.show();
    return QApplication::exec();
}

}  // namespace quenlark
