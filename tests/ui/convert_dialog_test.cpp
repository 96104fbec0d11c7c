#include "convert_dialog.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

#include "boot_preview.h"
#include "drop_files.h"
#include "test_pictures.h"

using namespace quenlark;
using namespace quenlark::converter;
using quenlark::converter::testing::readBytes;
using quenlark::converter::testing::TempFolder;
using quenlark::converter::testing::writeBytes;

namespace {

QString q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

template <class T>
T* child(const QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

}  // namespace

class ConvertDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        folder_ = std::make_unique<TempFolder>();
        QVERIFY(quenlark::converter::testing::discPicture(1000, 500, 300)
                    .save(q(*folder_ / "wide.png")));
    }

    void startsWithNothingToSave() {
        ConvertDialog dialog;
        QVERIFY(!child<QPushButton>(dialog, "saveButton")->isEnabled());
        QVERIFY(!dialog.logo());
        QVERIFY(!dialog.saveLogo(q(*folder_ / "logo.sys"), ExistingFile::Keep));
        QVERIFY(dialog.status().contains(QStringLiteral("no logo")));
        QCOMPARE(folder_->names(), std::vector<std::string>{"wide.png"});
    }

    void picturesBecomeALogoInThePreview() {
        ConvertDialog dialog;
        QVERIFY(dialog.openPicture(q(*folder_ / "wide.png")));
        QVERIFY(child<QPushButton>(dialog, "saveButton")->isEnabled());
        QVERIFY(dialog.logo());
        QCOMPARE(dialog.logo()->firstCycled, 0);
        QVERIFY(dialog.status().contains(QStringLiteral("1000 x 500")));
        const QImage shown = dialog.preview()->currentPicture();
        QCOMPARE(shown.size(), QSize(320, 400));
        // The disc's centre is black, the border rows are entry 0.
        QCOMPARE(shown.pixel(160, 200), qRgb(0, 0, 0));
        QCOMPARE(shown.pixel(160, 10), qRgb(0, 0, 0));
        QCOMPARE(shown.pixel(10, 200), qRgb(255, 255, 255));
    }

    void optionsRemakeTheLogo() {
        ConvertDialog dialog;
        QVERIFY(dialog.openPicture(q(*folder_ / "wide.png")));
        const LogoPicture fitted = *dialog.logo();

        child<QRadioButton>(dialog, "fillButton")->click();
        QCOMPARE(dialog.options().fit, FitMode::Fill);
        QVERIFY(dialog.logo()->pixels != fitted.pixels);
        child<QRadioButton>(dialog, "stretchButton")->click();
        QCOMPARE(dialog.options().fit, FitMode::Stretch);
        child<QRadioButton>(dialog, "fitButton")->click();
        QVERIFY(dialog.logo()->pixels == fitted.pixels);

        auto* band = child<QCheckBox>(dialog, "bandCheck");
        auto* first = child<QSpinBox>(dialog, "bandFirst");
        QVERIFY(!first->isEnabled());
        band->setChecked(true);
        QVERIFY(first->isEnabled());
        QCOMPARE(dialog.logo()->firstCycled, 236);
        QCOMPARE(dialog.preview()->firstCycled(), 236);
        first->setValue(200);
        QCOMPARE(dialog.logo()->firstCycled, 200);
        // The spin box keeps the band inside the palette.
        first->setValue(255);
        QCOMPARE(first->value(), 254);
        first->setValue(0);
        QCOMPARE(first->value(), 2);
        band->setChecked(false);
        QCOMPARE(dialog.logo()->firstCycled, 0);
    }

    void aRefusedPictureKeepsTheOneBefore() {
        writeBytes(*folder_ / "junk.png", "not a picture");
        ConvertDialog dialog;
        QVERIFY(dialog.openPicture(q(*folder_ / "wide.png")));
        QVERIFY(!dialog.openPicture(q(*folder_ / "junk.png")));
        QVERIFY(dialog.status().contains(QStringLiteral("is not a picture")));
        QVERIFY(dialog.logo());
        QVERIFY(child<QPushButton>(dialog, "saveButton")->isEnabled());
    }

    void savesTheLogoShown() {
        ConvertDialog dialog;
        QSignalSpy saved(&dialog, &ConvertDialog::logoSaved);
        QVERIFY(dialog.openPicture(q(*folder_ / "wide.png")));
        child<QCheckBox>(dialog, "bandCheck")->setChecked(true);
        QVERIFY(dialog.saveLogo(q(*folder_ / "logo.sys"), ExistingFile::Keep));
        QCOMPARE(saved.count(), 1);
        QCOMPARE(saved.at(0).at(0).toString(), q(*folder_ / "logo.sys"));
        QVERIFY(dialog.status().startsWith(QStringLiteral("Saved ")));

        const std::string file = readBytes(*folder_ / "logo.sys");
        QCOMPARE(file.size(), std::size_t(129078));
        const auto back = decodeLogo(file);
        QVERIFY(back);
        QVERIFY(back->pixels == dialog.logo()->pixels);
        QCOMPARE(back->firstCycled, 236);
    }

    void saveFailuresAreToldAndChangeNothing() {
        ConvertDialog dialog;
        QSignalSpy saved(&dialog, &ConvertDialog::logoSaved);
        QVERIFY(dialog.openPicture(q(*folder_ / "wide.png")));

        writeBytes(*folder_ / "logo.sys", "old");
        QVERIFY(!dialog.saveLogo(q(*folder_ / "logo.sys"), ExistingFile::Keep));
        QVERIFY(dialog.status().contains(QStringLiteral("already exists")));
        QCOMPARE(readBytes(*folder_ / "logo.sys"), std::string("old"));

        QVERIFY(!dialog.saveLogo(q(*folder_ / "none" / "logo.sys"), ExistingFile::Replace));
        QVERIFY(dialog.status().contains(QStringLiteral("cannot be written")));
        QCOMPARE(saved.count(), 0);

        // Replacing is what Save As does once its dialog has asked.
        QVERIFY(dialog.saveLogo(q(*folder_ / "logo.sys"), ExistingFile::Replace));
        QCOMPARE(readBytes(*folder_ / "logo.sys").size(), std::size_t(129078));
        QCOMPARE(saved.count(), 1);
    }

    // A picture dropped on the dialog is opened as Browse opens it; several
    // files, a folder or no picture are told on the status line, and the
    // picture shown stays.
    void takesADroppedPicture() {
        writeBytes(*folder_ / "junk.png", "not a picture");
        ConvertDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(quenlark::testing::dropFiles(dialog, {*folder_ / "wide.png"}));
        QVERIFY(dialog.logo());
        QVERIFY(dialog.status().contains(QStringLiteral("1000 x 500")));
        const LogoPicture shown = *dialog.logo();
        const std::pair<std::vector<std::filesystem::path>, const char*> refused[] = {
            {{*folder_ / "wide.png", *folder_ / "junk.png"}, "2 files were dropped"},
            {{folder_->path()}, "is a folder"},
            {{*folder_ / "junk.png"}, "is not a picture"},
        };
        for (const auto& [files, says] : refused) {
            QVERIFY(quenlark::testing::dropFiles(dialog, files));
            QVERIFY2(dialog.status().contains(QString::fromLatin1(says)),
                     qPrintable(dialog.status()));
            QVERIFY(dialog.logo()->pixels == shown.pixels);
        }
    }

  private:
    std::unique_ptr<TempFolder> folder_;
};

QTEST_MAIN(ConvertDialogTest)
#include "convert_dialog_test.moc"
