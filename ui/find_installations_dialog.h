#pragma once

#include <QDialog>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "installation_finder.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;
class QTreeWidget;

namespace quenlark {

// Drive, Find Installations: the Windows 95/98 installations on the user's
// emulator machines, by the machines' names, with the emulator, the image and
// whether the machine is running. The search runs on a thread of its own so
// that the window stays responsive; a bar shows its progress when it takes
// longer than a moment. "Open" hands the chosen one to `open` (the dialog
// closes when that succeeds); "Add Folder to Search..." adds a folder of
// images and searches again.
class FindInstallationsDialog : public QDialog {
    Q_OBJECT
  public:
    using Open = std::function<bool(const FoundInstallation&)>;

    FindInstallationsDialog(InstallationFinder& finder, Open open, QWidget* parent = nullptr);
    // Waits for a search under way to stop.
    ~FindInstallationsDialog() override;

    // Starts a search; one under way is searched again when it ends.
    void search();
    bool searching() const { return worker_ != nullptr; }
    const std::vector<FoundInstallation>& found() const { return found_; }

  signals:
    // A search has ended and its results are shown.
    void searchFinished();

  private:
    void showReport(FindReport report);
    void showProgress(int done, int total);
    void searchEnded();
    void chosenChanged();
    void openChosen();
    void addFolder();

    InstallationFinder& finder_;
    Open open_;
    QLabel* status_;
    QProgressBar* progress_;
    QTreeWidget* list_;
    QLabel* detail_;
    QLabel* notes_;
    QPushButton* openButton_;
    QPushButton* addFolderButton_;
    std::vector<FoundInstallation> found_;
    QThread* worker_ = nullptr;
    std::shared_ptr<std::atomic<bool>> stop_;
    bool searchAgain_ = false;
};

}  // namespace quenlark
