#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform.h"

class QLabel;
class QPushButton;

namespace quenlark {

// The about box: the program's name and version, the colour depth of the
// screen with advice about it, and a launcher for the system-information tool.
// A window of its own beside the main window (Quit leaves it open); at most
// one exists, and it deletes itself when closed.
class AboutBox : public QWidget {
    Q_OBJECT
  public:
    // The main window's "About": creates the box and shows it, or brings the
    // open one to the front unchanged (the colour depth is read only when the
    // box is created). `platform` must outlive the box.
    static AboutBox* showAbout(Platform& platform);

    // The open about box, or nullptr.
    static AboutBox* openInstance();

    // Bits per pixel of the screen the box is on. Tests put their own here.
    static std::function<int(const QWidget& box)> colorDepth;

    // Sets the colour depth, the verdict and the advice.
    void showColourDepth();
    // "MS Info..": starts the system-information tool or says it can't.
    void startSystemInformation();

  private:
    explicit AboutBox(Platform& platform);
    void createControls();

    Platform& platform_;
    QLabel* depthValue_ = nullptr;
    QLabel* depthVerdict_ = nullptr;
    QLabel* depthAdvice_ = nullptr;
    QPushButton* okayButton_ = nullptr;
    QPushButton* systemInfoButton_ = nullptr;

    static QPointer<AboutBox> open_;
};

// The contact line of the about box.
inline constexpr const char* kContactLine = "Report problems on the project's issue tracker";

}  // namespace quenlark
