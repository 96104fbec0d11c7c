#include "slot_page.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "program_fonts.h"
#include "tab_control.h"
#include "thumbnail.h"
#include "twips.h"

namespace quenlark {

namespace {

// The places of a page's controls in the window's tab order.
struct TabPlaces {
    int swap, restore, backup, currentChoice, backupChoice;
};

constexpr TabPlaces kTabPlaces[] = {
    {3, 4, 5, 9, 28},
    {13, 14, 15, 11, 29},
    {22, 23, 24, 20, 30},
};

const TabPlaces& tabPlacesOf(Slot slot) {
    return kTabPlaces[static_cast<std::size_t>(slot)];
}

QString upperName(std::string_view name) {
    return QString::fromLatin1(name).toUpper();
}

QLabel* addLabel(QWidget* page, const char* name, const QString& text) {
    auto* label = new QLabel(text, page);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

QFrame* addLine(QWidget* page, const char* name) {
    auto* line = new QFrame(page);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    return line;
}

QPushButton* addButton(QWidget* page, const char* name, const char* text) {
    auto* button = new QPushButton(text, page);
    button->setObjectName(name);
    button->setFont(layoutFont("Tahoma", 12, true));
    return button;
}

QRadioButton* addChoice(QGroupBox* frame, const char* name, int index, const char* text) {
    auto* choice = new QRadioButton(text, frame);
    choice->setObjectName(name);
    choice->setProperty("index", index);
    return choice;
}

}  // namespace

QString pageName(Slot slot) {
    switch (slot) {
        case Slot::StartUp:
            return "startUpPage";
        case Slot::Wait:
            return "waitPage";
        case Slot::ShutDown:
            return "shutDownPage";
    }
    return {};
}

SlotPage::SlotPage(const SlotInfo& slot, TabControl& tabs) : slot_(slot) {
    setObjectName(pageName(slot.slot));
    tabs.addTab(this, QString::fromLatin1(slot.caption));
    const QString logo = upperName(slot.installedName);
    const QString backup = upperName(slot.backupName);

    QLabel* slotLabel = addLabel(this, "logoName", logo);
    slotLabel->setFont(layoutFont("Tahoma", 24, true));
    tabs.placeOnPage(slotLabel, twipsRect(120, 480, 3555, 555));
    tabs.placeOnPage(addLine(this, "upperRule"), twipsHorizontalLine(60, 3720, 1020));

    swapButton_ = addButton(this, "swapButton", "Swap !");
    tabs.placeOnPage(swapButton_, twipsRect(120, 1200, 1455, 435));
    tabs.placeOnPage(
        addLabel(this, "swapText",
                 "Choose any 320x400x256 bitmap you want to replace the current " + logo + "."),
        twipsRect(1680, 1200, 1995, 675));

    restoreButton_ = addButton(this, "restoreButton", "Restore");
    tabs.placeOnPage(restoreButton_, twipsRect(120, 1980, 1455, 435));
    tabs.placeOnPage(
        addLabel(this, "restoreText",
                 "Restore the backup bitmap " + backup + " (if present) to " + logo + "."),
        twipsRect(1680, 1980, 1995, 675));

    backupButton_ = addButton(this, "backupButton", "Backup");
    tabs.placeOnPage(backupButton_, twipsRect(120, 2760, 1455, 435));
    tabs.placeOnPage(
        addLabel(this, "backupText", "Backup the current bitmap by copying it to " + backup + "."),
        twipsRect(1680, 2760, 1995, 675));

    tabs.placeOnPage(addLine(this, "lowerRule"), twipsHorizontalLine(60, 3720, 3420));

    auto* frame = new QGroupBox("File Select", this);
    frame->setObjectName("previewChoices");
    tabs.placeOnPage(frame, twipsRect(240, 3540, 3315, 675));
    // Neither choice is selected until the start-up sequence picks "Current".
    currentChoice_ = addChoice(frame, "currentChoice", 0, "Current");
    currentChoice_->setGeometry(twipsRect(1020, 300, 915, 255));
    backupChoice_ = addChoice(frame, "backupChoice", 1, "Backup");
    backupChoice_->setGeometry(twipsRect(2040, 300, 915, 255));

    thumbnail_ = new Thumbnail(QString::fromLatin1(slot.caption), this);
    thumbnail_->setObjectName("thumbnail");
    tabs.placeOnPage(thumbnail_, twipsRect(3780, 420, 4215, 3795));
    setAcceptDrops(true);
}

std::vector<std::pair<int, QWidget*>> SlotPage::tabStops() const {
    const TabPlaces& places = tabPlacesOf(slot_.slot);
    return {{places.swap, swapButton_},
            {places.restore, restoreButton_},
            {places.backup, backupButton_},
            {places.currentChoice, currentChoice_},
            {places.backupChoice, backupChoice_}};
}

void SlotPage::dragEnterEvent(QDragEnterEvent* event) {
    if (offersFiles(*event->mimeData()))
        event->acceptProposedAction();
}

// The drop is answered at once and handled after it, so that the file
// manager is not kept waiting while the boxes of a swap ask their questions.
void SlotPage::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    QTimer::singleShot(
        0, this, [this, dropped = droppedFile(*event->mimeData())] { emit fileDropped(dropped); });
}

}  // namespace quenlark
