// The main window as laid out: every control at its place with its text and
// font, the menu, the tab order, and texts that fit their boxes.
#include <QAccessible>
#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "test_look.h"
#include "text_fit.h"
#include "window_run.h"

using namespace quenlark;
using namespace quenlark::testing;

namespace {

struct Placed {
    const char* name;
    QRect rect;  // in pixels, relative to the container the layout names
    const char* text;
};

// Controls of the pages, relative to the tab control, tab strip included.
const std::vector<std::vector<Placed>> kPages{
    {{"startUpPage/logoName", {8, 32, 237, 37}, "LOGO.SYS"},
     {"startUpPage/upperRule", {4, 68, 244, 1}, nullptr},
     {"startUpPage/swapButton", {8, 80, 97, 29}, "Swap !"},
     {"startUpPage/swapText",
      {112, 80, 133, 45},
      "Choose any 320x400x256 bitmap you want to replace the current LOGO.SYS."},
     {"startUpPage/restoreButton", {8, 132, 97, 29}, "Restore"},
     {"startUpPage/restoreText",
      {112, 132, 133, 45},
      "Restore the backup bitmap LOGO.QNK (if present) to LOGO.SYS."},
     {"startUpPage/backupButton", {8, 184, 97, 29}, "Backup"},
     {"startUpPage/backupText",
      {112, 184, 133, 45},
      "Backup the current bitmap by copying it to LOGO.QNK."},
     {"startUpPage/lowerRule", {4, 228, 244, 1}, nullptr},
     {"startUpPage/previewChoices", {16, 236, 221, 45}, "File Select"},
     {"startUpPage/thumbnail", {252, 28, 281, 253}, nullptr}},
    {{"waitPage/logoName", {8, 32, 237, 37}, "LOGOW.SYS"},
     {"waitPage/upperRule", {4, 68, 244, 1}, nullptr},
     {"waitPage/swapButton", {8, 80, 97, 29}, "Swap !"},
     {"waitPage/swapText",
      {112, 80, 133, 45},
      "Choose any 320x400x256 bitmap you want to replace the current LOGOW.SYS."},
     {"waitPage/restoreButton", {8, 132, 97, 29}, "Restore"},
     {"waitPage/restoreText",
      {112, 132, 133, 45},
      "Restore the backup bitmap LOGOW.QNK (if present) to LOGOW.SYS."},
     {"waitPage/backupButton", {8, 184, 97, 29}, "Backup"},
     {"waitPage/backupText",
      {112, 184, 133, 45},
      "Backup the current bitmap by copying it to LOGOW.QNK."},
     {"waitPage/lowerRule", {4, 228, 244, 1}, nullptr},
     {"waitPage/previewChoices", {16, 236, 221, 45}, "File Select"},
     {"waitPage/thumbnail", {252, 28, 281, 253}, nullptr}},
    {{"shutDownPage/logoName", {8, 32, 237, 37}, "LOGOS.SYS"},
     {"shutDownPage/upperRule", {4, 68, 244, 1}, nullptr},
     {"shutDownPage/swapButton", {8, 80, 97, 29}, "Swap !"},
     {"shutDownPage/swapText",
      {112, 80, 133, 45},
      "Choose any 320x400x256 bitmap you want to replace the current LOGOS.SYS."},
     {"shutDownPage/restoreButton", {8, 132, 97, 29}, "Restore"},
     {"shutDownPage/restoreText",
      {112, 132, 133, 45},
      "Restore the backup bitmap LOGOS.QNK (if present) to LOGOS.SYS."},
     {"shutDownPage/backupButton", {8, 184, 97, 29}, "Backup"},
     {"shutDownPage/backupText",
      {112, 184, 133, 45},
      "Backup the current bitmap by copying it to LOGOS.QNK."},
     {"shutDownPage/lowerRule", {4, 228, 244, 1}, nullptr},
     {"shutDownPage/previewChoices", {16, 236, 221, 45}, "File Select"},
     {"shutDownPage/thumbnail", {252, 28, 281, 253}, nullptr}},
};

// The option pairs, relative to their frame.
const std::vector<Placed> kChoices{
    {"startUpPage/currentChoice", {68, 20, 61, 17}, "Current"},
    {"startUpPage/backupChoice", {136, 20, 61, 17}, "Backup"},
    {"waitPage/currentChoice", {68, 20, 61, 17}, "Current"},
    {"waitPage/backupChoice", {136, 20, 61, 17}, "Backup"},
    {"shutDownPage/currentChoice", {68, 20, 61, 17}, "Current"},
    {"shutDownPage/backupChoice", {136, 20, 61, 17}, "Backup"},
};

// Controls of the window, relative to the client area below the menu bar.
const std::vector<Placed> kWindowControls{
    {"slotTabs", {0, 8, 541, 289}, nullptr},
    {"statusCaption", {4, 304, 37, 25}, "Status:"},
    {"statusLine", {44, 300, 493, 33}, nullptr},
    {"footerRule", {0, 336, 540, 1}, nullptr},
    {"colourDepthAdvice",
     {0, 340, 353, 13},
     "This program looks and works best in 16-bit color and above."},
    {"creditLine", {404, 340, 137, 13}, nullptr},
};

QString textOf(QWidget* widget) {
    return controlText(*widget);
}

QString accessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

}  // namespace

class MainWindowLayoutTest : public QObject, public WindowOnDrive {
    Q_OBJECT

  private slots:
    void initTestCase() { applyTestLook(); }

    void init() { makeWindow(); }
    void cleanup() { dropWindow(); }

    void windowIsFixedWithItsCaptionAndIcon() {
        QVERIFY(run_->load());
        run_->form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&run_->form));
        QCOMPARE(run_->form.windowTitle(), QString("Quenlark v1.2"));
        QVERIFY(!run_->form.windowIcon().isNull());
        QCOMPARE(run_->form.centralWidget()->size(), QSize(541, 353));
        QCOMPARE(run_->form.centralWidget()->y(), run_->form.menuBar()->height());
        QCOMPARE(run_->form.minimumSize(), run_->form.maximumSize());
        QCOMPARE(run_->form.height(), run_->form.menuBar()->height() + 353);
    }

    void windowControlsAtTheirPlaces() {
        QVERIFY(run_->load());
        run_->form.show();
        QWidget* client = run_->form.centralWidget();
        for (const Placed& control : kWindowControls) {
            auto* widget = run_->find(control.name);
            QVERIFY2(widget, control.name);
            QCOMPARE(widget->parentWidget(), client);
            QCOMPARE(widget->geometry(), control.rect);
            if (control.text)
                QCOMPARE(textOf(widget), QString(control.text));
        }
        QVERIFY(!run_->find<QLabel>("creditLine")->text().isEmpty());
        QVERIFY(run_->find<QLabel>("creditLine")->alignment() & Qt::AlignRight);
    }

    // Positions on a page count from the top of the tab control, strip
    // included; a page shows its controls only while it is selected.
    void pageControlsAtTheirPlacesOnEveryPage() {
        QVERIFY(run_->load());
        run_->form.show();
        auto* tabs = run_->find<QTabWidget>("slotTabs");
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QString("Start Up"));
        QCOMPARE(tabs->tabText(1), QString("Wait"));
        QCOMPARE(tabs->tabText(2), QString("Shut Down"));
        for (int page = 0; page < 3; ++page) {
            tabs->setCurrentIndex(page);
            QApplication::processEvents();
            for (const Placed& control : kPages[page]) {
                auto* widget = run_->find(control.name);
                QVERIFY2(widget, control.name);
                QVERIFY2(widget->isVisible(), control.name);
                const QRect placed(widget->mapTo(tabs, QPoint(0, 0)), widget->size());
                QVERIFY2(placed == control.rect, qPrintable(QString("%1 at %2,%3 %4x%5")
                                                                .arg(control.name)
                                                                .arg(placed.x())
                                                                .arg(placed.y())
                                                                .arg(placed.width())
                                                                .arg(placed.height())));
                QVERIFY2(tabs->rect().contains(placed), control.name);
                if (control.text)
                    QCOMPARE(textOf(widget), QString(control.text));
            }
            for (int other = 0; other < 3; ++other)
                if (other != page)
                    QVERIFY(!run_->find(kPages[other][0].name)->isVisible());
        }
        for (const Placed& choice : kChoices) {
            auto* button = run_->find<QRadioButton>(choice.name);
            QVERIFY2(button, choice.name);
            QVERIFY(qobject_cast<QGroupBox*>(button->parentWidget()));
            QCOMPARE(button->geometry(), choice.rect);
            QCOMPARE(button->text(), QString(choice.text));
            QCOMPARE(button->property("index").toInt(),
                     QString(choice.name).endsWith("backupChoice") ? 1 : 0);
        }
        // The thumbnail ends inside the tab control, below the strip.
        auto* image = run_->find("startUpPage/thumbnail");
        QVERIFY(image->mapTo(tabs, QPoint(0, 0)).y() >= tabs->tabBar()->height());
    }

    void fontsAndLooks() {
        auto pixelFont = [&](const char* name) { return run_->find(name)->font(); };
        for (const char* name :
             {"startUpPage/logoName", "waitPage/logoName", "shutDownPage/logoName"}) {
            QCOMPARE(pixelFont(name).family(), QString("Tahoma"));
            QCOMPARE(pixelFont(name).pixelSize(), 32);
            QVERIFY(pixelFont(name).bold());
        }
        for (const QString page : {"startUpPage", "waitPage", "shutDownPage"})
            for (const char* button : {"swapButton", "restoreButton", "backupButton"}) {
                const QFont font = pixelFont(qPrintable(page + '/' + button));
                QCOMPARE(font.family(), QString("Tahoma"));
                QCOMPARE(font.pixelSize(), 16);
                QVERIFY(font.bold());
            }
        const QFont tabFont = run_->find<QTabWidget>("slotTabs")->tabBar()->font();
        QCOMPARE(tabFont.family(), QString("Arial"));
        QCOMPARE(tabFont.pixelSize(), 12);
        for (const char* name : {"colourDepthAdvice", "creditLine"}) {
            QCOMPARE(pixelFont(name).family(), QString("Arial"));
            QCOMPARE(pixelFont(name).pixelSize(), 11);
            QVERIFY(pixelFont(name).bold());
        }
        for (const char* name : {"startUpPage/swapText", "statusCaption", "statusLine",
                                 "startUpPage/previewChoices", "startUpPage/currentChoice"}) {
            QCOMPARE(pixelFont(name).family(), QString("MS Sans Serif"));
            QCOMPARE(pixelFont(name).pixelSize(), 11);
            QVERIFY(!pixelFont(name).bold());
        }
        for (const char* name :
             {"startUpPage/thumbnail", "waitPage/thumbnail", "shutDownPage/thumbnail"}) {
            auto* image = run_->find<QLabel>(name);
            QCOMPARE(image->toolTip(), QString("Click to view full size"));
            QCOMPARE(image->frameShape(), QFrame::Box);
            QVERIFY(image->hasScaledContents());
        }
        for (const char* name : {"startUpPage/upperRule", "startUpPage/lowerRule", "footerRule"}) {
            auto* line = run_->find<QFrame>(name);
            QCOMPARE(line->frameShape(), QFrame::HLine);
            QCOMPARE(line->height(), 1);
        }
    }

    // The status line: bordered, white, wrapping a long text inside its box,
    // and showing text as it is, never as markup.
    void statusLineWrapsPlainText() {
        auto* status = run_->find<QLabel>("statusLine");
        QCOMPARE(status->text(), QString());
        QCOMPARE(status->frameShape(), QFrame::Box);
        QVERIFY(status->autoFillBackground());
        QCOMPARE(status->palette().color(QPalette::Window),
                 status->palette().color(QPalette::Base));
        QVERIFY(status->wordWrap());
        const std::string longText =
            "File C:\\MY PICTURES\\<b>sunrise</b>.bmp has been successfully installed as new "
            "C:\\WINDOWS\\logow.sys.";
        run_->form.setStatus(longText);
        QCOMPARE(status->text(), QString::fromStdString(longText));
        QCOMPARE(status->textFormat(), Qt::PlainText);
        QVERIFY(textFits(status->text(), status->font(), textRoom(*status)));
        const QFontMetrics metrics(status->font());
        QVERIFY(metrics.horizontalAdvance(status->text()) > status->contentsRect().width());

        // Three lines' worth at the layout's size, as the long paths of the
        // backups in the data folder make it: set smaller, still whole.
        const std::string longer =
            "Error while opening Z:\\home\\someone\\.local\\share\\quenlark\\installations\\"
            "drive_c-42d3aa0e\\backup\\logo.qnk. File not found ! Error while opening the "
            "backup once more.";
        run_->form.setStatus(longer);
        QVERIFY(textFits(status->text(), status->font(), status->contentsRect().size()));
        QVERIFY(QFontInfo(status->font()).pixelSize() <
                QFontInfo(QApplication::font()).pixelSize());
        run_->form.setStatus("Short again.");
        QCOMPARE(status->font(), QApplication::font());
    }

    // Every text of the window fits its box with the fonts the host has.
    void textsFitTheirBoxes() {
        QVERIFY(run_->load());
        for (QWidget* widget : run_->form.findChildren<QWidget*>()) {
            if (widget->objectName().isEmpty() || textOf(widget).isEmpty())
                continue;
            QVERIFY2(drawnInTheFallbackFont(widget->font()), qPrintable(widget->objectName()));
            QVERIFY2(textFits(textOf(widget), widget->font(), textRoom(*widget)),
                     qPrintable(widget->objectName() + ": " + textOf(widget)));
        }
    }

    void menusWithCaptionsAndShortcuts() {
        struct Item {
            const char* menu;
            const char* name;
            const char* caption;  // nullptr: separator
            QKeySequence shortcut;
            bool checkable = false;
        };
        const std::vector<Item> items{
            {"options", "backUpAll", "&Backup All", QKeySequence("Ctrl+B")},
            {"options", "restoreAll", "&Restore All", QKeySequence("Ctrl+R")},
            {"options", "optionsSeparator", nullptr, {}},
            {"options", "quit", "&Quit", QKeySequence("Ctrl+Q")},
            {"drive", "openWindowsFolder", "Open &Windows Folder...", {}},
            {"drive", "openDiskImage", "Open Disk &Image...", {}},
            {"drive", "recentSeparator", nullptr, {}},
            {"drive", "recentInstallation", nullptr, {}, true},
            {"drive", "demoSeparator", nullptr, {}},
            {"drive", "demoDrive", "&Demo Drive", {}},
            {"special", "restoreOriginals", "Restore &Originals", QKeySequence("Ctrl+O")},
            {"tools", "makeLogo", "Make &Logo From Picture...", {}},
            {"tools", "bootPreview", "&Boot Preview", {}},
            {"tools", "saveBuiltinLogo", "&Save Built-in Logo As...", {}},
            {"tools", "checkInstallation", "&Check Installation...", {}},
            {"info", "readMe", "Read &Me", QKeySequence("Ctrl+M")},
            {"info", "infoSeparator", nullptr, {}},
            {"info", "about", "&About", QKeySequence("Ctrl+A")},
        };
        QList<QAction*> bar = run_->form.menuBar()->actions();
        const QStringList captions{"&Options", "&Drive", "&Special", "&Tools", "&Info"};
        const QStringList names{"options", "drive", "special", "tools", "info"};
        QCOMPARE(bar.size(), captions.size());
        for (int i = 0; i < bar.size(); ++i) {
            QCOMPARE(bar[i]->text(), captions[i]);
            QCOMPARE(bar[i]->menu()->objectName(), names[i]);
        }
        std::map<QString, int> position;
        for (const Item& item : items) {
            auto* menu = run_->form.findChild<QMenu*>(item.menu);
            QVERIFY(menu);
            const QList<QAction*> actions = menu->actions();
            const int index = position[item.menu]++;
            QVERIFY(index < actions.size());
            QAction* action = actions[index];
            QCOMPARE(action->objectName(), QString(item.name));
            // The installation managed now, checked, among the recent ones.
            if (item.checkable) {
                QVERIFY(action->isCheckable() && action->isChecked());
                QVERIFY(action->text().startsWith("&1 drive_c ("));
                continue;
            }
            QCOMPARE(action->isSeparator(), item.caption == nullptr);
            QVERIFY(action->isEnabled() && action->isVisible() && !action->isCheckable());
            if (!item.caption)
                continue;
            QCOMPARE(action->text(), QString(item.caption));
            QCOMPARE(action->shortcut(), item.shortcut);
        }
        for (const auto& [menu, count] : position)
            QCOMPARE(run_->form.findChild<QMenu*>(menu)->actions().size(), count);

        // Alt and a letter reach one menu, and in it one item.
        auto mnemonicsAreDistinct = [](const QList<QAction*>& actions) {
            QSet<QChar> letters;
            for (QAction* action : actions) {
                const QString text = action->text();
                const qsizetype amp = text.indexOf('&');
                if (amp < 0 || amp + 1 == text.size())
                    continue;
                if (letters.contains(text[amp + 1].toUpper()))
                    return false;
                letters.insert(text[amp + 1].toUpper());
            }
            return true;
        };
        QVERIFY(mnemonicsAreDistinct(bar));
        for (QAction* menu : bar)
            QVERIFY2(mnemonicsAreDistinct(menu->menu()->actions()), qPrintable(menu->text()));
    }

    // The focus order of the layout: the tab control, then the pages'
    // controls by their numbers, whichever page they are on.
    void tabOrderFollowsTheLayout() {
        const QStringList expected{"slotTabs",
                                   "startUpPage/swapButton",
                                   "startUpPage/restoreButton",
                                   "startUpPage/backupButton",
                                   "startUpPage/currentChoice",
                                   "waitPage/currentChoice",
                                   "waitPage/swapButton",
                                   "waitPage/restoreButton",
                                   "waitPage/backupButton",
                                   "shutDownPage/currentChoice",
                                   "shutDownPage/swapButton",
                                   "shutDownPage/restoreButton",
                                   "shutDownPage/backupButton",
                                   "startUpPage/backupChoice",
                                   "waitPage/backupChoice",
                                   "shutDownPage/backupChoice"};
        auto nameOf = [](QWidget* w) {
            if (qobject_cast<QTabBar*>(w))
                return w->parentWidget()->objectName();
            return controlPath(w);
        };
        QStringList chain;
        QWidget* start = run_->find<QTabWidget>("slotTabs")->tabBar();
        QWidget* w = start;
        do {
            if (expected.contains(nameOf(w)) && !chain.contains(nameOf(w)))
                chain << nameOf(w);
            w = w->nextInFocusChain();
        } while (w != start);
        QCOMPARE(chain, expected);
    }

    // The Tab key walks the shown page only: hidden pages and disabled
    // choices are skipped.
    void tabKeyStaysOnTheShownPage() {
        QVERIFY(run_->load());
        run_->showActive();
        run_->find("startUpPage/swapButton")->setFocus();
        QStringList visited;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            visited << (qobject_cast<QTabBar*>(focus) ? QString("slotTabs") : controlPath(focus));
        }
        QCOMPARE(visited,
                 QStringList({"startUpPage/restoreButton", "startUpPage/backupButton",
                              "startUpPage/currentChoice", "slotTabs", "startUpPage/swapButton"}));
    }

    // Before the load event neither choice of a pair is selected, and the
    // window opens on the Start Up page.
    void choicesUnselectedUntilLoaded() {
        for (const Placed& choice : kChoices)
            QVERIFY(!run_->find<QRadioButton>(choice.name)->isChecked());
        QCOMPARE(run_->find<QTabWidget>("slotTabs")->currentIndex(), 0);
        QVERIFY(run_->load());
        for (const char* name :
             {"startUpPage/currentChoice", "waitPage/currentChoice", "shutDownPage/currentChoice"})
            QVERIFY(run_->find<QRadioButton>(name)->isChecked());
    }

    // Screen readers get a name for every control; thumbnails say which slot
    // and which file they show.
    void everyControlHasAnAccessibleName() {
        QVERIFY(run_->load());
        for (QWidget* widget : run_->form.findChildren<QWidget*>()) {
            if (widget->objectName().isEmpty() || qobject_cast<QFrame*>(widget) == nullptr)
                continue;
            if (widget->objectName().endsWith("Rule") || widget->objectName().startsWith("qt_"))
                continue;
            QVERIFY2(!accessibleName(widget).isEmpty(), qPrintable(widget->objectName()));
        }
        for (const char* name :
             {"startUpPage/swapButton", "startUpPage/currentChoice", "startUpPage/previewChoices"})
            QVERIFY(!accessibleName(run_->find(name)).isEmpty());
        QCOMPARE(accessibleName(run_->find("waitPage/thumbnail")),
                 QString("Wait logo: C:\\WINDOWS\\logow.sys"));
        QCOMPARE(accessibleName(run_->find("startUpPage/thumbnail")),
                 QString("Start Up logo: C:\\logo.sys"));
    }

  private:
};

QTEST_MAIN(MainWindowLayoutTest)
#include "main_window_layout_test.moc"
