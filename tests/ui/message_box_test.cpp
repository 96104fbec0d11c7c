// The program's message boxes: buttons in the Windows order, icon, default
// button, caption, modality, and what Escape and the close button answer.
#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "message_box.h"
#include "modal_answerer.h"
#include "program_style.h"
#include "window_run.h"

using namespace quenlark;
using namespace quenlark::testing;

Q_DECLARE_METATYPE(quenlark::MessageStyle)
Q_DECLARE_METATYPE(quenlark::Answer)
Q_DECLARE_METATYPE(QList<QMessageBox::StandardButton>)

namespace {

using Buttons = QList<QMessageBox::StandardButton>;

// How the box is left: a button, the Escape key, the window's close button.
enum class Leave { Escape, Close, Enter };

void leave(QWidget& modal, Leave how) {
    switch (how) {
        case Leave::Escape:
            QTest::keyClick(&modal, Qt::Key_Escape);
            break;
        case Leave::Close:
            modal.close();
            break;
        case Leave::Enter:
            QTest::keyClick(&modal, Qt::Key_Return);
            break;
    }
}

}  // namespace

class MessageBoxTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { applyProgramLook(); }

    void stylesShowTheirButtonsAndIcon_data() {
        QTest::addColumn<MessageStyle>("style");
        QTest::addColumn<Buttons>("buttons");
        QTest::addColumn<int>("icon");
        QTest::newRow("0 OK") << MessageStyle::Ok << Buttons{QMessageBox::Ok}
                              << int(QMessageBox::NoIcon);
        QTest::newRow("16 OK critical")
            << MessageStyle::OkCritical << Buttons{QMessageBox::Ok} << int(QMessageBox::Critical);
        QTest::newRow("21 Retry Cancel")
            << MessageStyle::RetryCancel << Buttons{QMessageBox::Retry, QMessageBox::Cancel}
            << int(QMessageBox::Critical);
        QTest::newRow("35 Yes No Cancel")
            << MessageStyle::YesNoCancel
            << Buttons{QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}
            << int(QMessageBox::Question);
        QTest::newRow("36 Yes No")
            << MessageStyle::YesNo << Buttons{QMessageBox::Yes, QMessageBox::No}
            << int(QMessageBox::Question);
        QTest::newRow("48 OK exclamation")
            << MessageStyle::OkExclamation << Buttons{QMessageBox::Ok} << int(QMessageBox::Warning);
    }
    void stylesShowTheirButtonsAndIcon() {
        QFETCH(MessageStyle, style);
        QFETCH(Buttons, buttons);
        QFETCH(int, icon);
        // Each button in turn answers with its own value.
        for (QMessageBox::StandardButton button : buttons) {
            ModalAnswerer modal;
            modal.answer(button);
            const Answer answer = showMessageBox(nullptr, "Is this <b>plain</b>?", style);
            QVERIFY(modal.done());
            const SeenBox& seen = modal.boxes().at(0);
            QCOMPARE(seen.title, QString("Quenlark"));
            QCOMPARE(seen.text, QString("Is this <b>plain</b>?"));
            QCOMPARE(int(seen.icon), icon);
            QCOMPARE(seen.buttons, buttons);
            QCOMPARE(seen.defaultButton, buttons.front());
            QCOMPARE(seen.modality, Qt::ApplicationModal);
            QCOMPARE(int(answer), int(expectedAnswer(button)));
        }
    }

    void escapeCloseAndEnter_data() {
        QTest::addColumn<MessageStyle>("style");
        QTest::addColumn<int>("how");
        QTest::addColumn<Answer>("expected");
        const std::pair<Leave, const char*> ways[] = {
            {Leave::Escape, "Escape"}, {Leave::Close, "close"}, {Leave::Enter, "Enter"}};
        for (const auto& [how, name] : ways) {
            const bool enter = how == Leave::Enter;
            QTest::addRow("OK %s", name) << MessageStyle::Ok << int(how) << Answer::Ok;
            QTest::addRow("OK critical %s", name)
                << MessageStyle::OkCritical << int(how) << Answer::Ok;
            QTest::addRow("OK exclamation %s", name)
                << MessageStyle::OkExclamation << int(how) << Answer::Ok;
            QTest::addRow("Retry Cancel %s", name) << MessageStyle::RetryCancel << int(how)
                                                   << (enter ? Answer::Retry : Answer::Cancel);
            QTest::addRow("Yes No Cancel %s", name)
                << MessageStyle::YesNoCancel << int(how) << (enter ? Answer::Yes : Answer::Cancel);
        }
        QTest::addRow("Yes No Enter") << MessageStyle::YesNo << int(Leave::Enter) << Answer::Yes;
    }
    void escapeCloseAndEnter() {
        QFETCH(MessageStyle, style);
        QFETCH(int, how);
        QFETCH(Answer, expected);
        ModalAnswerer modal;
        modal.then([how](QWidget& box) { leave(box, Leave(how)); });
        const Answer answer = showMessageBox(nullptr, "Leaving", style);
        QVERIFY(modal.done());
        QCOMPARE(int(answer), int(expected));
    }

    // A Yes/No box has no close button and ignores Escape and a close
    // request: only Yes or No ends it.
    void yesNoBoxWaitsForYesOrNo() {
        for (QMessageBox::StandardButton finally : {QMessageBox::No, QMessageBox::Yes}) {
            ModalAnswerer modal;
            bool stayedOpen = false;
            modal.then([&](QWidget& box) {
                QTest::keyClick(&box, Qt::Key_Escape);
                box.close();
                QApplication::processEvents();
                stayedOpen = box.isVisible();
                auto& messageBox = static_cast<QMessageBox&>(box);
                QVERIFY(!describe(messageBox).closeButton);
                messageBox.button(finally)->click();
            });
            const Answer answer = showMessageBox(nullptr, "Reset all?", MessageStyle::YesNo);
            QVERIFY(modal.done());
            QVERIFY(stayedOpen);
            QCOMPARE(int(answer), int(finally == QMessageBox::Yes ? Answer::Yes : Answer::No));
        }
    }

    // The main window's boxes are these boxes, over the main window, and
    // modal for the viewer too.
    void mainWindowShowsTheProgramsBox() {
        TempDrive drive;
        putInstalledLogos(drive);
        WindowRun run(drive);
        QVERIFY(run.load());
        run.form.show();
        ModalAnswerer modal;
        modal.answer(QMessageBox::No);
        QCOMPARE(int(run.form.showMessage("Backup first?", MessageStyle::YesNoCancel)),
                 int(Answer::No));
        QVERIFY(modal.done());
        QCOMPARE(modal.boxes().at(0).title, QString("Quenlark"));
        QCOMPARE(modal.boxes().at(0).modality, Qt::ApplicationModal);
    }

  private:
    static Answer expectedAnswer(QMessageBox::StandardButton button) {
        switch (button) {
            case QMessageBox::Retry:
                return Answer::Retry;
            case QMessageBox::Cancel:
                return Answer::Cancel;
            case QMessageBox::Yes:
                return Answer::Yes;
            case QMessageBox::No:
                return Answer::No;
            default:
                return Answer::Ok;
        }
    }
};

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
