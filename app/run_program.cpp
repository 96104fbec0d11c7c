#include "run_program.h"

#include <QApplication>
#include <cstdio>

#include "emulator_finder.h"
#include "host_program_starter.h"
#include "host_registry.h"
#include "installations.h"
#include "main_window.h"
#include "message_box.h"
#include "program_style.h"

namespace quenlark {

namespace {

// The installation the program starts on: the one the command line names;
// else the one used last, or, when that one has gone, the demo drive after a
// box that says so. Nothing, having said why, when none can be opened.
std::optional<OpenInstallation> openFirstInstallation(Installations& installations,
                                                      const StartOptions& options) {
    std::optional<InstallationSource> source = options.installation;
    if (!source)
        source = installations.lastUsed();
    std::string error;
    if (!source && !(source = installations.demoDrive(error))) {
        std::fprintf(stderr, "quenlark: %s\n", error.c_str());
        return std::nullopt;
    }
    auto opened = installations.open(*source, options.startDir);
    if (auto* installation = std::get_if<OpenInstallation>(&opened))
        return std::move(*installation);
    error = std::get<std::string>(opened);
    if (options.installation) {
        std::fprintf(stderr, "quenlark: %s\n", error.c_str());
        return std::nullopt;
    }
    showMessageBox(nullptr, error + " Quenlark opens its demo drive instead.",
                   MessageStyle::OkExclamation);
    const auto demo = installations.demoDrive(error);
    if (demo) {
        opened = installations.open(*demo, options.startDir);
        if (auto* installation = std::get_if<OpenInstallation>(&opened))
            return std::move(*installation);
        error = std::get<std::string>(opened);
    }
    std::fprintf(stderr, "quenlark: %s\n", error.c_str());
    return std::nullopt;
}

}  // namespace

int runProgram(const StartOptions& options) {
    applyProgramLook();

    const ProgramFolders folders =
        userProgramFolders(QCoreApplication::applicationDirPath().toStdString());
    Installations installations(folders);
    EmulatorFinder finder(installations, userFinderPlaces(), folders.data / "finder");
    auto first = openFirstInstallation(installations, options);
    if (!first)
        return 1;
    CurrentInstallation& current = installations.manage(std::move(*first));
    HostProgramStarter programs(current);
    HostRegistry registry;
    Platform platform{current,        current,  current.drives(),
                      programs,       registry, current.installation().notice,
                      &installations, &finder};

    MainWindow window(platform);
    if (!window.startUp())
        return 1;
    window.show();
    return QApplication::exec();
}

}  // namespace quenlark
