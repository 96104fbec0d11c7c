#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "about_box.h"
#include "host_file_system.h"
#include "host_registry.h"
#include "memory_registry.h"
#include "recording_program_starter.h"
#include "sys_info.h"
#include "temp_drive.h"
#include "test_look.h"
#include "text_fit.h"

using namespace quenlark;
using namespace quenlark::testing;
using quenlark::testing::MemoryRegistry;
using quenlark::testing::RecordingProgramStarter;
using quenlark::testing::TempDrive;

namespace {

// What a message box showed, read while it was open.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

}  // namespace

class AboutBoxTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { applyTestLook(); }
    void init();
    void cleanup();

    void windowAndControlsHaveTheirPlaces_data();
    void windowAndControlsHaveTheirPlaces();
    void linesSpanTheBox();
    void fontsAreTheLayoutsOrSmallerToFit();
    void everyTextFitsItsControl();
    void picturesAreTheBannerAndTheIcon();
    void colorDepthGivesTheVerdict_data();
    void colorDepthGivesTheVerdict();
    void okayHasTheFocusAndNeitherButtonIsDefault();
    void aboutTwiceShowsTheSameBoxWithoutReadingTheDepthAgain();
    void okayClosesTheBoxAndTheNextAboutReadsTheDepthAgain();
    void closingTheWindowAlsoUnloadsIt();
    void msInfoWithAnEmptyRegistryShowsTheBox();
    void msInfoStartsTheToolTheRegistryNames();

  private:
    AboutBox* openBox();
    // Runs `action`, answering the message boxes it opens with their first button.
    QList<SeenBox> answeringBoxes(const std::function<void()>& action);
    template <typename T>
    T* control(const char* name) {
        T* found = box_->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", name);
        return found;
    }

    std::unique_ptr<TempDrive> drive_;
    std::unique_ptr<HostFileSystem> files_;
    std::unique_ptr<HostWindowsDirectory> windows_;
    RecordingProgramStarter programs_;
    HostRegistry emptyRegistry_;
    MemoryRegistry memoryRegistry_;
    Registry* registry_ = &emptyRegistry_;
    std::unique_ptr<Platform> platform_;
    int depth_ = 24;
    int depthReads_ = 0;
    QPointer<AboutBox> box_;
};

void AboutBoxTest::init() {
    drive_ = std::make_unique<TempDrive>();
    files_ = std::make_unique<HostFileSystem>(drive_->installation().driveMap(), "C:\\TOOLS");
    windows_ = std::make_unique<HostWindowsDirectory>(files_->drives(), drive_->windows());
    programs_ = RecordingProgramStarter();
    memoryRegistry_ = MemoryRegistry();
    registry_ = &emptyRegistry_;
    depth_ = 24;
    depthReads_ = 0;
    AboutBox::colorDepth = [this](const QWidget&) {
        ++depthReads_;
        return depth_;
    };
}

void AboutBoxTest::cleanup() {
    if (box_)
        box_->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!AboutBox::openInstance());
    platform_.reset();
}

AboutBox* AboutBoxTest::openBox() {
    platform_.reset(new Platform{*files_, *windows_, files_->drives(), programs_, *registry_,
                                 "Drive C: is the test drive."});
    box_ = AboutBox::showAbout(*platform_);
    return box_;
}

QList<SeenBox> AboutBoxTest::answeringBoxes(const std::function<void()>& action) {
    QList<SeenBox> seen;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        SeenBox s{box->windowTitle(), box->text(), box->icon(), {}};
        for (QAbstractButton* b : box->buttons())
            s.buttons << b->text().remove('&');
        seen << s;
        box->buttons().first()->click();
    });
    poll.start();
    action();
    poll.stop();
    return seen;
}

void AboutBoxTest::windowAndControlsHaveTheirPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("banner") << "banner" << QString() << QRect(32, 8, 266, 116);
    QTest::newRow("programIcon") << "programIcon" << QString() << QRect(4, 136, 32, 32);
    QTest::newRow("title") << "title"
                           << "Quenlark" << QRect(12, 136, 329, 37);
    QTest::newRow("version") << "version"
                             << "Version 1.2" << QRect(88, 176, 223, 13);
    QTest::newRow("credit") << "credit"
                            << "\u00a9 The Quenlark team" << QRect(4, 200, 337, 19);
    QTest::newRow("depthCaption") << "depthCaption"
                                  << "You currently working in:" << QRect(4, 224, 145, 17);
    QTest::newRow("depthValue") << "depthValue"
                                << "24" << QRect(152, 224, 45, 17);
    QTest::newRow("depthUnit") << "depthUnit"
                               << "bit colors." << QRect(208, 224, 89, 17);
    QTest::newRow("depthVerdict") << "depthVerdict"
                                  << "EXCELLENT!" << QRect(4, 240, 77, 17);
    QTest::newRow("depthAdvice") << "depthAdvice" << QString() << QRect(88, 240, 253, 29);
    QTest::newRow("contact") << "contact"
                             << "Report problems on the project's issue tracker"
                             << QRect(4, 332, 337, 17);
    QTest::newRow("systemInfoButton") << "systemInfoButton"
                                      << "MS Info.." << QRect(8, 356, 104, 32);
    QTest::newRow("okayButton") << "okayButton"
                                << "Okay" << QRect(232, 356, 104, 32);
}

void AboutBoxTest::windowAndControlsHaveTheirPlaces() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    openBox();
    QCOMPARE(box_->objectName(), "aboutBox");
    QCOMPARE(box_->windowTitle(), "About Quenlark ..");
    QCOMPARE(box_->size(), QSize(345, 391));
    QCOMPARE(box_->minimumSize(), box_->maximumSize());

    QWidget* widget = control<QWidget>(name.toLatin1().constData());
    QCOMPARE(widget->geometry(), geometry);
    if (auto* label = qobject_cast<QLabel*>(widget); label && label->pixmap().isNull())
        QCOMPARE(label->text(), text);
    if (auto* button = qobject_cast<QPushButton*>(widget))
        QCOMPARE(button->text(), text);
}

void AboutBoxTest::linesSpanTheBox() {
    openBox();
    const std::pair<const char*, QRect> lines[] = {
        {"titleRule", QRect(0, 200, 344, 1)},        {"creditRule", QRect(0, 220, 344, 1)},
        {"depthRule", QRect(-4, 276, 348, 1)},       {"contactUpperRule", QRect(0, 324, 344, 1)},
        {"contactLowerRule", QRect(0, 352, 344, 1)},
    };
    for (auto [name, geometry] : lines) {
        auto* line = control<QFrame>(name);
        QCOMPARE(line->geometry(), geometry);
        QCOMPARE(line->frameShape(), QFrame::HLine);
    }
}

void AboutBoxTest::fontsAreTheLayoutsOrSmallerToFit() {
    depth_ = 8;
    openBox();
    struct Expected {
        const char* name;
        int pixels;  // the layout's size at 96 dots per inch
        bool bold;
        bool italic;
        Qt::Alignment alignment;
    };
    const Expected expected[] = {
        {"title", 31, true, false, Qt::AlignHCenter},
        {"version", 13, false, true, Qt::AlignRight},
        {"credit", 16, true, false, Qt::AlignHCenter},
        {"depthCaption", 13, false, false, Qt::AlignLeft},
        {"depthValue", 13, true, false, Qt::AlignRight},
        {"depthUnit", 13, false, false, Qt::AlignLeft},
        {"depthVerdict", 13, true, false, Qt::AlignLeft},
        {"depthAdvice", 13, false, false, Qt::AlignLeft},
        {"contact", 11, true, false, Qt::AlignHCenter},
    };
    for (const auto& e : expected) {
        auto* label = control<QLabel>(e.name);
        QVERIFY2(label->font().pixelSize() <= e.pixels, e.name);
        QVERIFY2(label->font().pixelSize() >= e.pixels - 3, e.name);
        QCOMPARE(label->font().bold(), e.bold);
        QCOMPARE(label->font().italic(), e.italic);
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, e.alignment);
    }
    for (const char* name : {"okayButton", "systemInfoButton"}) {
        QFont font = control<QPushButton>(name)->font();
        QCOMPARE(font.pixelSize(), 16);
        QVERIFY(font.bold());
    }
}

void AboutBoxTest::everyTextFitsItsControl() {
    for (int depth : {8, 32}) {
        depth_ = depth;
        openBox();
        for (QLabel* label : box_->findChildren<QLabel*>()) {
            if (!label->pixmap().isNull())
                continue;
            QVERIFY2(drawnInTheFallbackFont(label->font()), qPrintable(label->objectName()));
            QVERIFY2(textFits(label->text(), label->font(), label->size()),
                     qPrintable(label->objectName() + ": " + label->text()));
        }
        for (QPushButton* button : box_->findChildren<QPushButton*>()) {
            QFontMetrics metrics(button->font());
            QVERIFY(metrics.horizontalAdvance(button->text()) < button->width() - 8);
            QVERIFY(metrics.height() < button->height() - 4);
        }
        box_->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void AboutBoxTest::picturesAreTheBannerAndTheIcon() {
    openBox();
    QCOMPARE(control<QLabel>("banner")->pixmap().size(), QSize(262, 112));
    QCOMPARE(control<QLabel>("banner")->contentsRect().size(), QSize(262, 112));
    QCOMPARE(control<QLabel>("programIcon")->pixmap().size(), QSize(32, 32));
    QVERIFY(!box_->windowIcon().isNull());
}

void AboutBoxTest::colorDepthGivesTheVerdict_data() {
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<bool>("adviceShown");
    QTest::newRow("8 bits") << 8 << "REMEMBER!" << true;
    QTest::newRow("15 bits") << 15 << "REMEMBER!" << true;
    QTest::newRow("16 bits") << 16 << "EXCELLENT!" << false;
    QTest::newRow("24 bits") << 24 << "EXCELLENT!" << false;
    QTest::newRow("32 bits") << 32 << "EXCELLENT!" << false;
}

void AboutBoxTest::colorDepthGivesTheVerdict() {
    QFETCH(int, depth);
    QFETCH(QString, verdict);
    QFETCH(bool, adviceShown);
    depth_ = depth;
    openBox();
    QCOMPARE(control<QLabel>("depthValue")->text(), QString::number(depth));
    QCOMPARE(control<QLabel>("depthVerdict")->text(), verdict);
    auto* advice = control<QLabel>("depthAdvice");
    QCOMPARE(advice->isVisible(), adviceShown);
    if (adviceShown)
        QCOMPARE(advice->text(), "This program looks and works best in 16 bit color and above.");
}

void AboutBoxTest::okayHasTheFocusAndNeitherButtonIsDefault() {
    openBox();
    QVERIFY(QTest::qWaitForWindowActive(box_));
    auto* okay = control<QPushButton>("okayButton");
    auto* msInfo = control<QPushButton>("systemInfoButton");
    QCOMPARE(QApplication::focusWidget(), okay);

    // Tab goes Okay, MS Info.., the banner, and round again.
    QCOMPARE(okay->nextInFocusChain(), msInfo);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), msInfo);
    // Enter clicks the button that has the focus; Okay is no default that takes it.
    QVERIFY(!okay->isDefault());
    auto seen = answeringBoxes([&] { QTest::keyClick(msInfo, Qt::Key_Return); });
    QCOMPARE(seen.size(), 1);
    QVERIFY(box_);
    box_->activateWindow();  // the offscreen platform does not give it back by itself
    QVERIFY(QTest::qWaitForWindowActive(box_));
    QTRY_COMPARE(QApplication::focusWidget(), msInfo);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), control<QWidget>("banner"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), okay);

    // Escape is no cancel button: the box stays.
    QTest::keyClick(box_, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(box_);
    QVERIFY(box_->isVisible());
    QVERIFY(!msInfo->isDefault());
}

void AboutBoxTest::aboutTwiceShowsTheSameBoxWithoutReadingTheDepthAgain() {
    AboutBox* first = openBox();
    QCOMPARE(depthReads_, 1);
    depth_ = 8;
    QCOMPARE(AboutBox::showAbout(*platform_), first);
    QCOMPARE(AboutBox::openInstance(), first);
    QCOMPARE(depthReads_, 1);
    QCOMPARE(control<QLabel>("depthValue")->text(), "24");

    first->showMinimized();
    QTest::qWait(50);  // the window system reports the new state later
    QVERIFY(first->isMinimized());
    QCOMPARE(AboutBox::showAbout(*platform_), first);
    QTest::qWait(50);
    QVERIFY(!first->isMinimized());
    const auto windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                           [](QWidget* w) { return qobject_cast<AboutBox*>(w) != nullptr; }),
             1);
}

void AboutBoxTest::okayClosesTheBoxAndTheNextAboutReadsTheDepthAgain() {
    openBox();
    QTest::mouseClick(control<QPushButton>("okayButton"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!box_);
    QVERIFY(!AboutBox::openInstance());

    depth_ = 8;
    openBox();
    QCOMPARE(depthReads_, 2);
    QCOMPARE(control<QLabel>("depthValue")->text(), "8");
    QCOMPARE(control<QLabel>("depthVerdict")->text(), "REMEMBER!");
}

void AboutBoxTest::closingTheWindowAlsoUnloadsIt() {
    openBox();
    box_->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!box_);
    QVERIFY(!AboutBox::openInstance());
}

void AboutBoxTest::msInfoWithAnEmptyRegistryShowsTheBox() {
    openBox();
    auto seen = answeringBoxes(
        [&] { QTest::mouseClick(control<QPushButton>("systemInfoButton"), Qt::LeftButton); });
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].title, "Quenlark");
    QCOMPARE(seen[0].text, "System Information Is Unavailable At This Time");
    QCOMPARE(seen[0].icon, QMessageBox::NoIcon);
    QCOMPARE(seen[0].buttons, QStringList{"OK"});
    QVERIFY(programs_.started.empty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(box_);
    QVERIFY(box_->isVisible());
}

void AboutBoxTest::msInfoStartsTheToolTheRegistryNames() {
    memoryRegistry_.setString(kSysInfoFolderKey, kSysInfoFolderValue, "C:\\WINDOWS");
    TempDrive::put(drive_->windows() / "MSINFO32.EXE", "MZ");
    registry_ = &memoryRegistry_;
    openBox();
    auto seen = answeringBoxes(
        [&] { QTest::mouseClick(control<QPushButton>("systemInfoButton"), Qt::LeftButton); });
    QVERIFY(seen.isEmpty());
    QCOMPARE(programs_.started, std::vector<std::string>{"C:\\WINDOWS\\MSINFO32.EXE"});
    QVERIFY(memoryRegistry_.openHandles.empty());
}

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
