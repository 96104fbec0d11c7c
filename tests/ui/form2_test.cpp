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

#include "form2.h"
#include "host_file_system.h"
#include "host_registry.h"
#include "memory_registry.h"
#include "program_style.h"
#include "recording_program_starter.h"
#include "sys_info.h"
#include "temp_drive.h"
#include "text_fit.h"

using namespace quenlark;
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

class Form2Test : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { applyProgramLook(); }
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
    Form2* openBox();
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
    QPointer<Form2> box_;
};

void Form2Test::init() {
    drive_ = std::make_unique<TempDrive>();
    files_ = std::make_unique<HostFileSystem>(drive_->installation().driveMap(), "C:\\TOOLS");
    windows_ = std::make_unique<HostWindowsDirectory>(files_->drives(), drive_->windows());
    programs_ = RecordingProgramStarter();
    memoryRegistry_ = MemoryRegistry();
    registry_ = &emptyRegistry_;
    depth_ = 24;
    depthReads_ = 0;
    Form2::colorDepth = [this](const QWidget&) {
        ++depthReads_;
        return depth_;
    };
}

void Form2Test::cleanup() {
    if (box_)
        box_->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!Form2::openInstance());
    platform_.reset();
}

Form2* Form2Test::openBox() {
    platform_.reset(new Platform{*files_, *windows_, files_->drives(), programs_, *registry_,
                                 "Drive C: is the test drive."});
    box_ = Form2::showAbout(*platform_);
    return box_;
}

QList<SeenBox> Form2Test::answeringBoxes(const std::function<void()>& action) {
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

void Form2Test::windowAndControlsHaveTheirPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("Picture1") << "Picture1" << QString() << QRect(32, 8, 266, 116);
    QTest::newRow("Image1") << "Image1" << QString() << QRect(4, 136, 32, 32);
    QTest::newRow("Label1") << "Label1"
                            << "Quenlark" << QRect(12, 136, 329, 37);
    QTest::newRow("Label3") << "Label3"
                            << "Version 1.2" << QRect(88, 176, 223, 13);
    QTest::newRow("Label2") << "Label2"
                            << "\u00a9 The Quenlark team" << QRect(4, 200, 337, 19);
    QTest::newRow("Label6") << "Label6"
                            << "You currently working in:" << QRect(4, 224, 145, 17);
    QTest::newRow("Label7") << "Label7"
                            << "24" << QRect(152, 224, 45, 17);
    QTest::newRow("Label8") << "Label8"
                            << "bit colors." << QRect(208, 224, 89, 17);
    QTest::newRow("Label9") << "Label9"
                            << "EXCELLENT!" << QRect(4, 240, 77, 17);
    QTest::newRow("Label10") << "Label10" << QString() << QRect(88, 240, 253, 29);
    QTest::newRow("Label5") << "Label5"
                            << "Report problems on the project's issue tracker"
                            << QRect(4, 332, 337, 17);
    QTest::newRow("Command2") << "Command2"
                              << "MS Info.." << QRect(8, 356, 104, 32);
    QTest::newRow("Command1") << "Command1"
                              << "Okay" << QRect(232, 356, 104, 32);
}

void Form2Test::windowAndControlsHaveTheirPlaces() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    openBox();
    QCOMPARE(box_->objectName(), "Form2");
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

void Form2Test::linesSpanTheBox() {
    openBox();
    const std::pair<const char*, QRect> lines[] = {
        {"Line4", QRect(0, 200, 344, 1)},  {"Line2", QRect(0, 220, 344, 1)},
        {"Line1", QRect(-4, 276, 348, 1)}, {"Line3", QRect(0, 324, 344, 1)},
        {"Line5", QRect(0, 352, 344, 1)},
    };
    for (auto [name, geometry] : lines) {
        auto* line = control<QFrame>(name);
        QCOMPARE(line->geometry(), geometry);
        QCOMPARE(line->frameShape(), QFrame::HLine);
    }
}

void Form2Test::fontsAreTheLayoutsOrSmallerToFit() {
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
        {"Label1", 31, true, false, Qt::AlignHCenter}, {"Label3", 13, false, true, Qt::AlignRight},
        {"Label2", 16, true, false, Qt::AlignHCenter}, {"Label6", 13, false, false, Qt::AlignLeft},
        {"Label7", 13, true, false, Qt::AlignRight},   {"Label8", 13, false, false, Qt::AlignLeft},
        {"Label9", 13, true, false, Qt::AlignLeft},    {"Label10", 13, false, false, Qt::AlignLeft},
        {"Label5", 11, true, false, Qt::AlignHCenter},
    };
    for (const auto& e : expected) {
        auto* label = control<QLabel>(e.name);
        QVERIFY2(label->font().pixelSize() <= e.pixels, e.name);
        QVERIFY2(label->font().pixelSize() >= e.pixels - 3, e.name);
        QCOMPARE(label->font().bold(), e.bold);
        QCOMPARE(label->font().italic(), e.italic);
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, e.alignment);
    }
    for (const char* name : {"Command1", "Command2"}) {
        QFont font = control<QPushButton>(name)->font();
        QCOMPARE(font.pixelSize(), 16);
        QVERIFY(font.bold());
    }
}

void Form2Test::everyTextFitsItsControl() {
    for (int depth : {8, 32}) {
        depth_ = depth;
        openBox();
        for (QLabel* label : box_->findChildren<QLabel*>()) {
            if (!label->pixmap().isNull())
                continue;
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

void Form2Test::picturesAreTheBannerAndTheIcon() {
    openBox();
    QCOMPARE(control<QLabel>("Picture1")->pixmap().size(), QSize(262, 112));
    QCOMPARE(control<QLabel>("Picture1")->contentsRect().size(), QSize(262, 112));
    QCOMPARE(control<QLabel>("Image1")->pixmap().size(), QSize(32, 32));
    QVERIFY(!box_->windowIcon().isNull());
}

void Form2Test::colorDepthGivesTheVerdict_data() {
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<bool>("adviceShown");
    QTest::newRow("8 bits") << 8 << "REMEMBER!" << true;
    QTest::newRow("15 bits") << 15 << "REMEMBER!" << true;
    QTest::newRow("16 bits") << 16 << "EXCELLENT!" << false;
    QTest::newRow("24 bits") << 24 << "EXCELLENT!" << false;
    QTest::newRow("32 bits") << 32 << "EXCELLENT!" << false;
}

void Form2Test::colorDepthGivesTheVerdict() {
    QFETCH(int, depth);
    QFETCH(QString, verdict);
    QFETCH(bool, adviceShown);
    depth_ = depth;
    openBox();
    QCOMPARE(control<QLabel>("Label7")->text(), QString::number(depth));
    QCOMPARE(control<QLabel>("Label9")->text(), verdict);
    auto* advice = control<QLabel>("Label10");
    QCOMPARE(advice->isVisible(), adviceShown);
    if (adviceShown)
        QCOMPARE(advice->text(), "This program looks and works best in 16 bit color and above.");
}

void Form2Test::okayHasTheFocusAndNeitherButtonIsDefault() {
    openBox();
    QVERIFY(QTest::qWaitForWindowActive(box_));
    auto* okay = control<QPushButton>("Command1");
    auto* msInfo = control<QPushButton>("Command2");
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
    QCOMPARE(QApplication::focusWidget(), control<QWidget>("Picture1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), okay);

    // Escape is no cancel button: the box stays.
    QTest::keyClick(box_, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(box_);
    QVERIFY(box_->isVisible());
    QVERIFY(!msInfo->isDefault());
}

void Form2Test::aboutTwiceShowsTheSameBoxWithoutReadingTheDepthAgain() {
    Form2* first = openBox();
    QCOMPARE(depthReads_, 1);
    depth_ = 8;
    QCOMPARE(Form2::showAbout(*platform_), first);
    QCOMPARE(Form2::openInstance(), first);
    QCOMPARE(depthReads_, 1);
    QCOMPARE(control<QLabel>("Label7")->text(), "24");

    first->showMinimized();
    QTest::qWait(50);  // the window system reports the new state later
    QVERIFY(first->isMinimized());
    QCOMPARE(Form2::showAbout(*platform_), first);
    QTest::qWait(50);
    QVERIFY(!first->isMinimized());
    const auto windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                           [](QWidget* w) { return qobject_cast<Form2*>(w) != nullptr; }),
             1);
}

void Form2Test::okayClosesTheBoxAndTheNextAboutReadsTheDepthAgain() {
    openBox();
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!box_);
    QVERIFY(!Form2::openInstance());

    depth_ = 8;
    openBox();
    QCOMPARE(depthReads_, 2);
    QCOMPARE(control<QLabel>("Label7")->text(), "8");
    QCOMPARE(control<QLabel>("Label9")->text(), "REMEMBER!");
}

void Form2Test::closingTheWindowAlsoUnloadsIt() {
    openBox();
    box_->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!box_);
    QVERIFY(!Form2::openInstance());
}

void Form2Test::msInfoWithAnEmptyRegistryShowsTheBox() {
    openBox();
    auto seen = answeringBoxes(
        [&] { QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton); });
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

void Form2Test::msInfoStartsTheToolTheRegistryNames() {
    memoryRegistry_.setString(kSysInfoFolderKey, kSysInfoFolderValue, "C:\\WINDOWS");
    TempDrive::put(drive_->windows() / "MSINFO32.EXE", "MZ");
    registry_ = &memoryRegistry_;
    openBox();
    auto seen = answeringBoxes(
        [&] { QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton); });
    QVERIFY(seen.isEmpty());
    QCOMPARE(programs_.started, std::vector<std::string>{"C:\\WINDOWS\\MSINFO32.EXE"});
    QVERIFY(memoryRegistry_.openHandles.empty());
}

QTEST_MAIN(Form2Test)
#include "form2_test.moc"
