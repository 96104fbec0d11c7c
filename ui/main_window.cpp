// The main window's controls, menu and wiring.
#include "main_window.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <algorithm>

#include "boot_preview.h"
#include "convert_dialog.h"
#include "logo_viewer.h"
#include "outside_changes.h"
#include "program_fonts.h"
#include "program_icon.h"
#include "program_texts.h"
#include "slot_page.h"
#include "tab_control.h"
#include "text_fit.h"
#include "thumbnail.h"
#include "twips.h"

namespace quenlark {

namespace {

constexpr QSize kClientArea(fromTwips(8115), fromTwips(5295));
const std::vector<Slot> kAllSlots{Slot::StartUp, Slot::Wait, Slot::ShutDown};

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, const QRect& rect) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(rect);
    return label;
}

}  // namespace

MainWindow::MainWindow(Platform& platform)
    : platform_(platform),
      store_(std::make_unique<LogoStore>(platform.files, platform.windowsDirectory, *this,
                                         platform.driveNotice)) {
    setObjectName("mainWindow");
    setWindowTitle(kMainWindowCaption);
    setWindowIcon(programIcon());
    setFont(windowDefaultFont());
    buildClientArea();
    buildMenu();
    shrinkTextsToFit(*this);
    // Nothing in the layout moves or grows with the window.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    outside_ = new OutsideChanges(this);
    connect(outside_, &OutsideChanges::changed, this, [this] {
        if (busy_)
            refreshWhenDone_ = true;
        else if (hasInstallation_)
            refreshFromOutside();
    });
}

MainWindow::~MainWindow() {
    delete viewer_;
    delete bootPreview_;
}

bool MainWindow::startUp() {
    if (!store_->startUp())
        return false;
    followInstallation();
    return true;
}

void MainWindow::startWithoutInstallation(const std::string& why) {
    setInstallationControlsEnabled(false);
    setStatus(why);
}

// Without an installation only the Drive menu, the converter, the about box
// and Quit have anything to work on.
void MainWindow::setInstallationControlsEnabled(bool enabled) {
    hasInstallation_ = enabled;
    if (!enabled)
        outside_->stop();
    for (SlotPage* p : pages_)
        p->setEnabled(enabled);
    for (const char* name : {"backUpAll", "restoreAll", "restoreOriginals", "bootPreview",
                             "saveBuiltinLogo", "checkInstallation", "readMe"}) {
        if (auto* action = findChild<QAction*>(name))
            action->setEnabled(enabled);
    }
}

void MainWindow::buildClientArea() {
    auto* client = new QWidget(this);
    client->setFixedSize(kClientArea);
    setCentralWidget(client);

    const QRect tabRect = twipsRect(0, 120, 8115, 4335);
    tabs_ = new TabControl(tabRect.size(), client);
    tabs_->setObjectName("slotTabs");
    tabs_->move(tabRect.topLeft());
    tabs_->tabBar()->setFont(layoutFont("Arial", 9));
    for (const SlotInfo& slot : kSlots)
        pages_[static_cast<std::size_t>(slot.slot)] = new SlotPage(slot, *tabs_);
    for (const SlotInfo& slot : kSlots)
        wireSlotPage(slot.slot);
    tabs_->setCurrentIndex(0);

    QLabel* statusCaption =
        addLabel(client, "statusCaption", "Status:", twipsRect(60, 4560, 555, 375));
    status_ = addLabel(client, "statusLine", QString(), twipsRect(660, 4500, 7395, 495));
    // Screen readers hear the caption as the line's label and its text as
    // what it says.
    statusCaption->setBuddy(status_);
    status_->setWordWrap(true);
    status_->setFrameStyle(QFrame::Box | QFrame::Plain);
    status_->setLineWidth(1);
    status_->setMargin(1);
    QPalette statusColours = status_->palette();
    statusColours.setColor(QPalette::Window, statusColours.color(QPalette::Base));
    status_->setPalette(statusColours);
    status_->setAutoFillBackground(true);

    auto* line = new QFrame(client);
    line->setObjectName("footerRule");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    line->setGeometry(twipsHorizontalLine(0, 8100, 5040));

    const QFont footerFont = layoutFont("Arial", 8.25, true);
    addLabel(client, "colourDepthAdvice",
             "This program looks and works best in 16-bit color and above.",
             twipsRect(0, 5100, 5295, 195))
        ->setFont(footerFont);
    QLabel* credit = addLabel(client, "creditLine", kCreditLine, twipsRect(6060, 5100, 2055, 195));
    credit->setFont(footerFont);
    credit->setAlignment(Qt::AlignRight | Qt::AlignTop);

    orderTabStops();
}

void MainWindow::wireSlotPage(Slot slot) {
    SlotPage& p = page(slot);
    connect(p.swapButton(), &QPushButton::clicked, this, [this, slot] {
        runStoreCommand(
            [this, slot] {
                if (canChooseNewLogo())
                    store_->onSwap(slot);
            },
            {slot}, SlotFiles::InstalledAndBackup);
    });
    connect(p.restoreButton(), &QPushButton::clicked, this, [this, slot] {
        runStoreCommand([this, slot] { store_->onRestore(slot); }, {slot},
                        SlotFiles::InstalledAndBackup);
    });
    connect(p.backupButton(), &QPushButton::clicked, this, [this, slot] {
        runStoreCommand([this, slot] { store_->onBackUp(slot); }, {slot}, SlotFiles::Backup);
    });
    for (QRadioButton* choice : {p.currentChoice(), p.backupChoice()})
        connect(choice, &QRadioButton::clicked, this, [this, slot] { previewChoiceClicked(slot); });
    connect(p.thumbnail(), &Thumbnail::clicked, this, [this, slot] { thumbnailClicked(slot); });
    connect(&p, &SlotPage::fileDropped, this,
            [this, slot](const DroppedFile& dropped) { fileDroppedOnSlot(slot, dropped); });
}

// The tab control first, then the pages' controls in the order the layout
// numbers them; the pages that are not shown are skipped by Qt.
void MainWindow::orderTabStops() {
    std::vector<std::pair<int, QWidget*>> stops{{0, tabs_}};
    for (SlotPage* p : pages_) {
        auto pageStops = p->tabStops();
        stops.insert(stops.end(), pageStops.begin(), pageStops.end());
    }
    std::sort(stops.begin(), stops.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < stops.size(); ++i)
        setTabOrder(stops[i - 1].second, stops[i].second);
}

void MainWindow::buildMenu() {
    struct Item {
        const char* name;
        const char* caption;  // nullptr: a separator
        QKeySequence shortcut;
        std::function<void()> run;
    };
    struct Menu {
        const char* name;
        const char* caption;
        std::vector<Item> items;
    };
    const std::vector<Menu> menus{
        {"options",
         "&Options",
         {{"backUpAll", "&Backup All", Qt::CTRL | Qt::Key_B,
           [this] {
               runStoreCommand([this] { store_->backUpAll(); }, kAllSlots, SlotFiles::Backup);
           }},
          {"restoreAll", "&Restore All", Qt::CTRL | Qt::Key_R,
           [this] {
               runStoreCommand([this] { store_->restoreAll(); }, kAllSlots,
                               SlotFiles::InstalledAndBackup);
           }},
          {"optionsSeparator", nullptr, {}, {}},
          {"quit", "&Quit", Qt::CTRL | Qt::Key_Q, [this] { quit(); }}}},
        {"drive", "&Drive", {}},
        {"special",
         "&Special",
         {{"restoreOriginals", "Restore &Originals", Qt::CTRL | Qt::Key_O,
           [this] {
               runStoreCommand([this] { store_->restoreOriginals(); }, kAllSlots,
                               SlotFiles::InstalledAndBackup);
           }}}},
        {"tools",
         "&Tools",
         {{"makeLogo", "Make &Logo From Picture...", {}, [this] { makeLogoFromPicture(); }},
          {"bootPreview", "&Boot Preview", {}, [this] { showBootPreview(); }},
          {"saveBuiltinLogo", "&Save Built-in Logo As...", {}, [this] { saveBuiltinLogoAs(); }},
          {"checkInstallation", "&Check Installation...", {}, [this] { checkInstallation(); }}}},
        {"info",
         "&Info",
         {{"readMe", "Read &Me", Qt::CTRL | Qt::Key_M, [this] { showReadme(); }},
          {"infoSeparator", nullptr, {}, {}},
          {"about", "&About", Qt::CTRL | Qt::Key_A, [this] { showAbout(); }}}},
    };
    for (const Menu& m : menus) {
        if (!platform_.switcher && std::string_view(m.name) == "drive")
            continue;
        QMenu* menu = menuBar()->addMenu(m.caption);
        menu->setObjectName(m.name);
        if (m.items.empty()) {
            driveMenu_ = menu;
            fillDriveMenu(*menu);
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillDriveMenu(*menu); });
        }
        for (const Item& item : m.items) {
            QAction* action = item.caption ? menu->addAction(item.caption) : menu->addSeparator();
            action->setObjectName(item.name);
            if (!item.caption)
                continue;
            action->setShortcut(item.shortcut);
            // The shortcuts work on every page, whatever control has the focus.
            action->setShortcutContext(Qt::WindowShortcut);
            connect(action, &QAction::triggered, this, item.run);
        }
    }
}

}  // namespace quenlark
