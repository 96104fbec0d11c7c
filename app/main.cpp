#include <QApplication>
#include <cstdio>
#include <string>

#include "data_folder.h"
#include "program_texts.h"
#include "run_program.h"
#include "start_options.h"

int main(int argc, char** argv) {
    // The demo drive lives in the data folder named after the program.
    QCoreApplication::setApplicationName("quenlark");
    QCoreApplication::setApplicationVersion(quenlark::kProgramVersion);
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName("org.quenlark.Quenlark");

    quenlark::StartOptions options;
    {
        // Read before the window system is reached, so that --help, --version
        // and a wrong option work without a display.
        QCoreApplication reader(argc, argv);
        if (const auto exitStatus = quenlark::readStartOptions(reader.arguments(), options))
            return *exitStatus;
        // Before anything reads the current directory: the start-up
        // sequence makes BACKUP and ORIGINAL there.
        std::string error;
        if (options.startInDataFolder &&
            !quenlark::enterDataFolder(
                quenlark::userDataFolder(),
                quenlark::installedReadme(QCoreApplication::applicationDirPath().toStdString()),
                error)) {
            std::fprintf(stderr, "quenlark: %s\n", error.c_str());
            return 1;
        }
    }
    QApplication app(argc, argv);
    return quenlark::runProgram(options);
}
