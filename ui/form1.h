#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>

#include "logo_store.h"
#include "platform.h"
#include "user_interaction.h"

class QLabel;

namespace quenlark {

class BootPreviewWindow;
class ConvertDialog;
class Form3;
class SlotPage;
class TabControl;

// The main window: a tab page per logo slot, the status line, the footer and
// the menu. It owns the logo store, wires every button, option pair, thumbnail
// and menu command to its procedure, and is the store's way to the user.
//
// Controls carry the names of the window's layout as object names; see
// SlotPage for the option pairs.
class Form1 : public QMainWindow, public UserInteraction {
    Q_OBJECT
  public:
    explicit Form1(Platform& platform);
    ~Form1() override;

    // The window's load event: the start-up sequence, run once before the
    // window is first shown, so its message boxes come first. False when the
    // program cannot go on.
    bool Form_Load();

    LogoStore& store() { return store_; }

    Answer showMessage(const std::string& text, MessageStyle style) override;
    void setStatus(const std::string& text) override;
    bool showThumbnail(Slot slot, const std::string& path) override;
    void setBackupButtonEnabled(Slot slot, bool enabled) override;
    void setBackupChoiceEnabled(Slot slot, bool enabled) override;
    bool isCurrentChoiceSelected(Slot slot) override;
    void selectCurrentChoice(Slot slot) override;
    std::optional<std::string> showOpenDialog(const FileDialogRequest& request) override;

  private:
    void buildClientArea();
    void buildMenu();
    void wireSlotPage(Slot slot);
    void orderTabStops();
    SlotPage& page(Slot slot) const { return *pages_[static_cast<std::size_t>(slot)]; }

    // Event procedures. The option handlers get the index of the choice
    // clicked, which they do not need.
    void Option1_Click(int index);
    void Option3_Click(int index);
    void Option5_Click(int index);
    void Image1_Click();
    void Image2_Click();
    void Image3_Click();
    void Exit_Click();
    void readme_Click();
    void about_Click();
    // The Tools menu: make a logo from any picture, and see the shown page's
    // previewed file as Windows shows it at boot.
    void makeLogo_Click();
    void bootPreview_Click();

    // Reloads the slot's thumbnail from its previewed file.
    void previewChoiceClicked(Slot slot);
    // Shows the slot's previewed file at full size.
    void thumbnailClicked(Slot slot);

    Platform& platform_;
    LogoStore store_;
    TabControl* tabs_ = nullptr;
    std::array<SlotPage*, 3> pages_{};
    QLabel* status_ = nullptr;
    // Windows of their own, created on first use; they outlive a Quit.
    QPointer<Form3> viewer_;
    QPointer<ConvertDialog> converter_;
    QPointer<BootPreviewWindow> bootPreview_;
};

}  // namespace quenlark
