#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <filesystem>
#include <memory>
#include <string>

#include "host_registry.h"
#include "installations.h"
#include "main_window.h"
#include "recording_program_starter.h"
#include "temp_drive.h"

namespace quenlark::testing {

// Colours that tell the test logos apart: each is the top-left pixel of its
// logo, so a thumbnail or the viewer shows which file it loaded.
inline const QColor kStartUpColour(40, 110, 230);
inline const QColor kWaitColour(20, 170, 120);
inline const QColor kShutDownColour(200, 90, 30);
inline const QColor kBackupColour(150, 40, 160);
inline const QColor kNewColour(230, 200, 20);

// Writes a real logo (320 x 400, 256 colours, 129,078 bytes) whose top-left
// pixel is `colour`.
void putLogo(const std::filesystem::path& path, const QColor& colour);
// Writes the three installed logos of `drive` in their usual capitals.
void putInstalledLogos(const TempDrive& drive);

// The top-left pixel of a picture; invalid for none.
QColor topLeftColour(const QImage& picture);

// The main window on a temporary drive, its BACKUP and ORIGINAL in C:\TOOLS,
// with a program starter that records what it is asked to start. Its Drive
// menu keeps the installations used in a data folder beside the drive.
// Nothing is loaded: call load() (the load event) and show() as the test
// needs.
struct WindowRun {
    explicit WindowRun(const TempDrive& drive);

    bool load() { return form.startUp(); }
    // Shows the window and waits until it is active, so that shortcuts reach it.
    void showActive();

    // A control by its object name; one on a slot's page by the page's name
    // and its own: "waitPage/swapButton".
    template <typename T = QWidget>
    T* find(const QString& name) {
        const qsizetype slash = name.indexOf('/');
        if (slash < 0)
            return form.findChild<T*>(name);
        auto* page = form.findChild<QWidget*>(name.left(slash));
        return page ? page->findChild<T*>(name.mid(slash + 1)) : nullptr;
    }
    // The picture a thumbnail ("waitPage/thumbnail") shows.
    QImage thumbnail(const QString& name);
    void selectPage(int index);

    Installations installations;
    CurrentInstallation& files;
    RecordingProgramStarter programs;
    HostRegistry registry;
    Platform platform;
    MainWindow form;
};

// The name by which WindowRun::find finds `control`.
QString controlPath(const QWidget* control);

// The open top-level window of type T, if any: windows of their own such as
// the viewer and the boot preview.
template <typename T>
T* openWindow() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<T*>(window))
            return found;
    }
    return nullptr;
}

// For tests of the main window: a fresh drive with the three installed logos
// and the window on it, made anew for each test function.
class WindowOnDrive {
  protected:
    // The window, not yet loaded.
    void makeWindow() {
        drive_ = std::make_unique<TempDrive>();
        putInstalledLogos(*drive_);
        run_ = std::make_unique<WindowRun>(*drive_);
    }
    // The window loaded, shown and active; false when it did not start.
    bool startWindow() {
        makeWindow();
        if (!run_->load())
            return false;
        run_->showActive();
        return true;
    }
    void dropWindow() {
        run_.reset();
        drive_.reset();
    }

    std::unique_ptr<TempDrive> drive_;
    std::unique_ptr<WindowRun> run_;
};

}  // namespace quenlark::testing
