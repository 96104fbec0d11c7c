#pragma once

#include <QWidget>
#include <utility>
#include <vector>

#include "dropped_file.h"
#include "slots.h"

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace quenlark {

class TabControl;
class Thumbnail;

// The controls of one slot's page of the main window. The three pages share
// one layout; only the file names in the texts differ. The page is named after
// its slot ("waitPage") and its controls after what they are ("swapButton",
// "currentChoice", "thumbnail"), the same on every page.
//
// The preview option is a pair of radio buttons, "currentChoice" and
// "backupChoice", which carry their place in the pair in the property "index".
//
// Files dragged from a file manager can be dropped on the page, thumbnail
// and all; the window decides what comes of them.
class SlotPage : public QWidget {
    Q_OBJECT
  public:
    // Adds the page to `tabs` and lays its controls out on it.
    SlotPage(const SlotInfo& slot, TabControl& tabs);

    QPushButton* swapButton() const { return swapButton_; }
    QPushButton* restoreButton() const { return restoreButton_; }
    QPushButton* backupButton() const { return backupButton_; }
    QRadioButton* currentChoice() const { return currentChoice_; }
    QRadioButton* backupChoice() const { return backupChoice_; }
    Thumbnail* thumbnail() const { return thumbnail_; }

    // The page's controls that take the focus, each with its place in the
    // window's tab order.
    std::vector<std::pair<int, QWidget*>> tabStops() const;

  signals:
    void fileDropped(const DroppedFile& dropped);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    const SlotInfo& slot_;
    QPushButton* swapButton_;
    QPushButton* restoreButton_;
    QPushButton* backupButton_;
    QRadioButton* currentChoice_;
    QRadioButton* backupChoice_;
    Thumbnail* thumbnail_;
};

// The object name of a slot's page: "startUpPage", "waitPage", "shutDownPage".
QString pageName(Slot slot);

}  // namespace quenlark
