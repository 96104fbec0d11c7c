// The demo drive: made once with three sample logos that the program's own
// size check accepts and Windows could show; a drive that exists is left as
// it is.
#include <QImage>
#include <QTest>
#include <filesystem>
#include <set>

#include "demo_drive.h"
#include "slots.h"
#include "temp_drive.h"

using namespace quenlark;
using namespace quenlark::testing;
namespace fs = std::filesystem;

namespace {

std::uint32_t le32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

}  // namespace

class DemoDriveTest : public QObject {
    Q_OBJECT

  private slots:
    void firstStartWritesThreeWindowsLogos() {
        TempDrive base;
        const fs::path root = base.root() / "demo" / "drive_c";
        std::string error;
        const fs::path windows = prepareDemoDrive(root, error);
        QCOMPARE(windows, root / "WINDOWS");
        QVERIFY(error.empty());
        std::set<std::string> contents;
        for (const fs::path& logo :
             {root / "LOGO.SYS", windows / "LOGOW.SYS", windows / "LOGOS.SYS"}) {
            const std::string bytes = TempDrive::read(logo);
            QCOMPARE(bytes.size(), std::size_t(129078));
            QCOMPARE(bytes.substr(0, 2), std::string("BM"));
            QCOMPARE(le32(bytes, 2), 129078u);       // file size
            QCOMPARE(le32(bytes, 18), 320u);         // width
            QCOMPARE(le32(bytes, 22), 400u);         // height
            QCOMPARE(le32(bytes, 28) & 0xffff, 8u);  // bits per pixel
            QCOMPARE(le32(bytes, 30), 0u);           // uncompressed
            // Palette entry 0, the colour of the border at boot: black.
            QCOMPARE(le32(bytes, 54), 0u);
            const QImage picture(QString::fromStdString(logo.string()));
            QCOMPARE(picture.size(), QSize(320, 400));
            contents.insert(bytes);
        }
        QCOMPARE(contents.size(), std::size_t(3));
    }

    // A drive the user already has, even one without logos or with its
    // folder in other letters, is never written to.
    void existingDriveIsLeftAsItIs() {
        TempDrive drive;
        fs::rename(drive.windows(), drive.root() / "Windows");
        TempDrive::put(drive.root() / "logo.sys", "mine");
        std::string error;
        QCOMPARE(prepareDemoDrive(drive.root(), error), drive.root() / "Windows");
        QCOMPARE(TempDrive::read(drive.root() / "logo.sys"), std::string("mine"));
        QVERIFY(fs::is_empty(drive.root() / "Windows"));
    }

    // A drive root without its WINDOWS folder keeps a logo of the user's.
    void missingWindowsFolderKeepsTheLogoThere() {
        TempDrive base;
        const fs::path root = base.root() / "half";
        TempDrive::put(root / "Logo.Sys", "mine");
        std::string error;
        QCOMPARE(prepareDemoDrive(root, error), root / "WINDOWS");
        QCOMPARE(TempDrive::read(root / "Logo.Sys"), std::string("mine"));
        QVERIFY(!fs::exists(root / "LOGO.SYS") ||
                fs::equivalent(root / "LOGO.SYS", root / "Logo.Sys"));
        QVERIFY(fs::exists(root / "WINDOWS" / "LOGOW.SYS"));
    }

    void driveThatCannotBeMadeSaysWhy() {
        TempDrive base;
        const fs::path blocked = base.root() / "file";
        TempDrive::put(blocked, "not a folder");
        std::string error;
        QVERIFY(prepareDemoDrive(blocked / "drive_c", error).empty());
        QVERIFY2(error.find("The demo drive " + (blocked / "drive_c").string() +
                            " cannot be made:") != std::string::npos,
                 error.c_str());
        QCOMPARE(TempDrive::read(blocked), std::string("not a folder"));
    }
};

QTEST_MAIN(DemoDriveTest)
#include "demo_drive_test.moc"
