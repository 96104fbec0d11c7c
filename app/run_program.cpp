#include "run_program.h"

#include <QApplication>
#include <cstdio>

#include "emulator_finder.h"
#include "first_installation.h"
#include "host_program_starter.h"
#include "host_registry.h"
#include "installations.h"
#include "main_window.h"
#include "message_box.h"
#include "program_style.h"

namespace quenlark {

int runProgram(const StartOptions& options) {
    applyProgramLook();

    const ProgramFolders folders =
        userProgramFolders(QCoreApplication::applicationDirPath().toStdString());
    Installations installations(folders);
    EmulatorFinder finder(installations, userFinderPlaces(), folders.data / "finder");
    const FirstInstallation first = manageFirstInstallation(installations, options);
    CurrentInstallation& current = *first.current;
    HostProgramStarter programs(current);
    HostRegistry registry;
    Platform platform{current,        current,  current.drives(),
                      programs,       registry, current.installation().notice,
                      &installations, &finder};

    MainWindow window(platform);
    if (!first.managed)
        window.startWithoutInstallation(first.problems);
    else if (!window.startUp())
        return 1;
    window.show();
    // Over the window, which shows what was opened instead, or none; on the
    // terminal too, for whoever started the program from one.
    if (!first.problems.empty()) {
        std::fprintf(stderr, "quenlark: %s\n", first.problems.c_str());
        showMessageBox(&window, first.problems,
                       first.managed ? MessageStyle::OkExclamation : MessageStyle::OkCritical);
    }
    return QApplication::exec();
}

}  // namespace quenlark
