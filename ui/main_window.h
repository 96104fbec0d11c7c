#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "logo_store.h"
#include "platform.h"
#include "user_interaction.h"

class QLabel;
class QMenu;

namespace quenlark {

class BootPreviewWindow;
class CheckDialog;
class FindInstallationsDialog;
class ConvertDialog;
class LogoViewer;
class OutsideChanges;
class SlotPage;
struct DroppedFile;
class TabControl;

// The main window: a tab page per logo slot, the status line, the footer and
// the menu. It owns the logo store, wires every button, option pair, thumbnail
// and menu command to the store or to its own handlers, and is the store's way
// to the user.
class MainWindow : public QMainWindow, public UserInteraction {
    Q_OBJECT
  public:
    explicit MainWindow(Platform& platform);
    ~MainWindow() override;

    // The start-up sequence, run once before the window is first shown, so its
    // message boxes come first. False when the program cannot go on.
    bool startUp();
    // Instead of the start-up sequence, when no installation could be opened:
    // the slot pages and the commands that need an installation are
    // disabled, and the status line says `why`, until the Drive menu opens
    // one.
    void startWithoutInstallation(const std::string& why);

    LogoStore& store() { return *store_; }

    // The Drive menu: manage the installation whose Windows folder (or drive
    // root) is `folder`, or the one in the disk image `file`. False, having
    // said why in a box, when it cannot be managed; the current one stays.
    bool openWindowsFolder(const QString& folder);
    bool openDiskImage(const QString& file);

    // Tools, Save Built-in Logo As: writes the start-up logo built into the
    // drive's IO.SYS to `file`; false, having said why in a box, when it
    // cannot.
    bool saveBuiltinLogo(const QString& file);

    Answer showMessage(const std::string& text, MessageStyle style) override;
    void setStatus(const std::string& text) override;
    bool showThumbnail(Slot slot, const std::string& path) override;
    void setBackupButtonEnabled(Slot slot, bool enabled) override;
    void setBackupChoiceEnabled(Slot slot, bool enabled) override;
    bool isCurrentChoiceSelected(Slot slot) override;
    void selectCurrentChoice(Slot slot) override;
    std::optional<std::string> showOpenDialog(const FileDialogRequest& request) override;

  protected:
    // Coming back to the window, the user may have changed the installation
    // with another program.
    void changeEvent(QEvent* event) override;

  private:
    // A picture a thumbnail shows: the file it came from and a hash of the
    // bytes it was decoded from; no hash while the thumbnail is empty.
    struct ShownPicture {
        std::string path;
        std::optional<std::size_t> content;
    };

    void buildClientArea();
    void buildMenu();
    // The Drive menu's items, made afresh each time it opens: the recent
    // installations change while the window is open.
    void fillDriveMenu(QMenu& menu);
    // Makes `source` the installation managed: the start-up sequence runs
    // for it as at the program's start. A `name` is what the recent
    // installations call it (a machine's, from Find Installations).
    bool manage(const InstallationSource& source, const std::string& name = {});
    void chooseWindowsFolder();
    void chooseDiskImage();
    void manageDemoDrive();
    // Drive, Find Installations: the installations of the emulators' machines.
    void findInstallations();
    void setInstallationControlsEnabled(bool enabled);
    void wireSlotPage(Slot slot);
    // Which of a slot's files a command may change.
    enum class SlotFiles { Backup, InstalledAndBackup };
    // Runs a command of the logo store, unless the installation has changed
    // outside since the thumbnails were loaded: then they are brought up to
    // date first and a box says so, so that nothing but what the user sees
    // is copied. The command changes `files` of `changedSlots`, and no other.
    void runStoreCommand(const std::function<void()>& command,
                         const std::vector<Slot>& changedSlots, SlotFiles files);
    // Why retrying a failed copy of the running command cannot help: one of
    // the files it changes cannot be changed whatever is tried.
    std::optional<std::string> whyRetryCannotHelp();
    // Whether a logo can be chosen for Swap: the store shows its file dialog
    // only where the settings file remembers a folder. A box says why not.
    bool canChooseNewLogo();

    // Changes made outside the window: follows the installation's files,
    // reloads the thumbnails whose files changed and gives their paths.
    void followInstallation();
    std::vector<std::string> refreshFromOutside();
    bool showsInstallationAsItIs();
    void orderTabStops();
    SlotPage& page(Slot slot) const { return *pages_[static_cast<std::size_t>(slot)]; }

    // Reloads the slot's thumbnail from its previewed file.
    void previewChoiceClicked(Slot slot);
    // Shows the slot's previewed file at full size.
    void thumbnailClicked(Slot slot);
    void quit();
    void showReadme();
    void showAbout();
    // The Tools menu: make a logo from any picture, and see the shown page's
    // previewed file as Windows shows it at boot.
    void makeLogoFromPicture();
    void showBootPreview();
    void showBuiltinLogo(const std::string& missingLogo);
    void showInBootPreview(const std::string& bytes, const QString& caption,
                           const QString& heading);
    void saveBuiltinLogoAs();
    void checkInstallation();
    // Drops on a slot's page, and the converter's Install.
    void fileDroppedOnSlot(Slot slot, const DroppedFile& dropped);
    bool isInstallableLogo(const std::string& path);
    void offerInstall(ConvertDialog& converter);
    void installMadeLogo(Slot slot);

    Platform& platform_;
    std::unique_ptr<LogoStore> store_;
    TabControl* tabs_ = nullptr;
    std::array<SlotPage*, 3> pages_{};
    QLabel* status_ = nullptr;
    QMenu* driveMenu_ = nullptr;
    bool hasInstallation_ = true;
    std::array<ShownPicture, 3> shown_{};
    OutsideChanges* outside_ = nullptr;
    // A store command is running: its own changes are not refreshed midway.
    bool busy_ = false;
    std::vector<std::string> changing_;  // by the running command
    bool refreshWhenDone_ = false;
    // Windows of their own, created on first use; they outlive a Quit.
    QPointer<LogoViewer> viewer_;
    QPointer<ConvertDialog> converter_;
    QPointer<BootPreviewWindow> bootPreview_;
    QPointer<CheckDialog> checkDialog_;
    QPointer<FindInstallationsDialog> findDialog_;
};

}  // namespace quenlark
