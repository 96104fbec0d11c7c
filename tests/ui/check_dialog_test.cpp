// The Check Installation dialog: each finding with its slot or file, or the
// all-well text, in plain texts a screen reader can say.
#include <QAccessible>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include "check_dialog.h"
#include "test_look.h"

using namespace quenlark;

class CheckDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { testing::applyTestLook(); }

    void showsEachFindingOrThatAllIsWell() {
        const std::vector<Finding> findings = {
            {FindingCause::NoGraphicalStart, Severity::Problem, std::nullopt, "C:\\MSDOS.SYS",
             "BootGUI=0 in [Options]: <no logos> & a prompt."},
            {FindingCause::LogoDoesNotAnimate, Severity::Note, Slot::StartUp, "C:\\logo.sys",
             "Windows shows C:\\logo.sys without animation."},
        };
        CheckDialog dialog(findings);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QString("Check Installation"));
        auto* result = dialog.findChild<QLabel*>("checkResult");
        auto* list = dialog.findChild<QTextBrowser*>("findingList");
        auto* close = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close);
        QVERIFY(result && list && close);
        // A screen reader hears what each control is, and the result line as
        // it reads.
        const auto spoken = [](QWidget* control) {
            return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
        };
        QCOMPARE(spoken(result), result->text());
        QCOMPARE(spoken(list), QString("Findings"));
        QVERIFY(!spoken(close).isEmpty());

        QCOMPARE(result->text(), QString("The check found 1 problem and 1 note:"));
        QVERIFY(list->isVisible());
        // The texts as written, markup characters included.
        QCOMPARE(list->toPlainText().split('\n', Qt::SkipEmptyParts),
                 QStringList({"C:\\MSDOS.SYS (problem)",
                              "BootGUI=0 in [Options]: <no logos> & a prompt.", "Start Up (note)",
                              "Windows shows C:\\logo.sys without animation."}));

        dialog.showFindings({});
        QVERIFY(!list->isVisible());
        QCOMPARE(result->text(), QString("Nothing is wrong: Windows will show all three logos."));
        dialog.showFindings(findings);
        QVERIFY(list->isVisible());
        QVERIFY(list->toPlainText().contains("Start Up (note)"));

        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(CheckDialogTest)
#include "check_dialog_test.moc"
