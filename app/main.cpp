#include <QApplication>

#include "program_texts.h"
#include "run_program.h"
#include "start_options.h"

int main(int argc, char** argv) {
    // The data folder and the settings file are named after the program.
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
    }
    QApplication app(argc, argv);
    return quenlark::runProgram(options);
}
