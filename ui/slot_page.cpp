#include "slot_page.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "program_fonts.h"
#include "tab_control.h"
#include "thumbnail.h"
#include "twips.h"

namespace quenlark {

namespace {

// What the slot table does not name: the page's labels, lines and frame, and
// the places of its controls in the window's tab order.
struct PageNames {
    const char* slotLabel;
    const char* upperLine;
    const char* swapText;
    const char* restoreText;
    const char* backupText;
    const char* lowerLine;
    const char* frame;
    int swapTab, restoreTab, backupTab, currentTab, backupChoiceTab;
};

constexpr PageNames kPageNames[] = {
    {"Label1", "Line1", "Label2", "Label3", "Label4", "Line2", "Frame1", 3, 4, 5, 9, 28},
    {"Label5", "Line3", "Label6", "Label7", "Label8", "Line4", "Frame2", 13, 14, 15, 11, 29},
    {"Label9", "Line5", "Label10", "Label11", "Label12", "Line6", "Frame3", 22, 23, 24, 20, 30},
};

const PageNames& namesOf(Slot slot) {
    return kPageNames[static_cast<std::size_t>(slot)];
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

QPushButton* addButton(QWidget* page, std::string_view name, const char* text) {
    auto* button = new QPushButton(text, page);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(layoutFont("Tahoma", 12, true));
    return button;
}

QRadioButton* addChoice(QGroupBox* frame, std::string_view option, int index, const char* text) {
    auto* choice = new QRadioButton(text, frame);
    choice->setObjectName(optionChoiceName(option, index));
    choice->setProperty("index", index);
    return choice;
}

}  // namespace

QString optionChoiceName(std::string_view option, int index) {
    return QString::fromLatin1(option) + '_' + QString::number(index);
}

SlotPage::SlotPage(const SlotInfo& slot, TabControl& tabs) : slot_(slot) {
    const PageNames& names = namesOf(slot.slot);
    tabs.addTab(this, QString::fromLatin1(slot.caption));
    const QString logo = upperName(slot.installedName);
    const QString backup = upperName(slot.backupName);

    QLabel* slotLabel = addLabel(this, names.slotLabel, logo);
    slotLabel->setFont(layoutFont("Tahoma", 24, true));
    tabs.placeOnPage(slotLabel, twipsRect(120, 480, 3555, 555));
    tabs.placeOnPage(addLine(this, names.upperLine), twipsHorizontalLine(60, 3720, 1020));

    swapButton_ = addButton(this, slot.swapButton, "Swap !");
    tabs.placeOnPage(swapButton_, twipsRect(120, 1200, 1455, 435));
    tabs.placeOnPage(
        addLabel(this, names.swapText,
                 "Choose any 320x400x256 bitmap you want to replace the current " + logo + "."),
        twipsRect(1680, 1200, 1995, 675));

    restoreButton_ = addButton(this, slot.restoreButton, "Restore");
    tabs.placeOnPage(restoreButton_, twipsRect(120, 1980, 1455, 435));
    tabs.placeOnPage(
        addLabel(this, names.restoreText,
                 "Restore the backup bitmap " + backup + " (if present) to " + logo + "."),
        twipsRect(1680, 1980, 1995, 675));

    backupButton_ = addButton(this, slot.backupButton, "Backup");
    tabs.placeOnPage(backupButton_, twipsRect(120, 2760, 1455, 435));
    tabs.placeOnPage(addLabel(this, names.backupText,
                              "Backup the current bitmap by copying it to " + backup + "."),
                     twipsRect(1680, 2760, 1995, 675));

    tabs.placeOnPage(addLine(this, names.lowerLine), twipsHorizontalLine(60, 3720, 3420));

    auto* frame = new QGroupBox("File Select", this);
    frame->setObjectName(names.frame);
    tabs.placeOnPage(frame, twipsRect(240, 3540, 3315, 675));
    // Neither choice is selected until the start-up sequence picks "Current".
    currentChoice_ = addChoice(frame, slot.previewOption, 0, "Current");
    currentChoice_->setGeometry(twipsRect(1020, 300, 915, 255));
    backupChoice_ = addChoice(frame, slot.previewOption, 1, "Backup");
    backupChoice_->setGeometry(twipsRect(2040, 300, 915, 255));

    thumbnail_ = new Thumbnail(QString::fromLatin1(slot.caption), this);
    thumbnail_->setObjectName(QString::fromLatin1(slot.thumbnail));
    tabs.placeOnPage(thumbnail_, twipsRect(3780, 420, 4215, 3795));
}

std::vector<std::pair<int, QWidget*>> SlotPage::tabStops() const {
    const PageNames& names = namesOf(slot_.slot);
    return {{names.swapTab, swapButton_},
            {names.restoreTab, restoreButton_},
            {names.backupTab, backupButton_},
            {names.currentTab, currentChoice_},
            {names.backupChoiceTab, backupChoice_}};
}

}  // namespace quenlark
