// quenlark-logo end to end, as a script runs it, on a real folder: every
// command changes the installation as the window's buttons do, keeps its
// backups and originals in the installation's own folder, and refuses bad
// input with status 1, one line on standard error and nothing changed.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <map>
#include <set>

#include "fake_io_sys.h"
#include "image_maker.h"
#include "logo_bitmap.h"
#include "temp_drive.h"
#include "test_pictures.h"

namespace quenlark::testing {
namespace {

namespace fs = std::filesystem;

struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
};

// A real logo, told apart by the colour of palette entry 1.
std::string realLogo(std::uint8_t shade) {
    converter::LogoPicture logo;
    logo.palette[1] = {shade, shade, shade};
    std::fill(logo.pixels.begin(), logo.pixels.end(), 1);
    return converter::encodeLogo(logo);
}

std::map<fs::path, std::string> snapshot(const fs::path& root) {
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        files[entry.path()] = entry.is_regular_file() ? TempDrive::read(entry.path()) : "<folder>";
    return files;
}

class LogoCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        TempDrive::put(drive.root() / "LOGO.SYS", realLogo(1));
        TempDrive::put(drive.windows() / "LOGOW.SYS", realLogo(2));
        for (std::uint8_t shade : {10, 11, 12})
            TempDrive::put(pictures() / ("pick" + std::to_string(shade) + ".bmp"), realLogo(shade));
        TempDrive::put(pictures() / "notes.txt", "not a logo");
        ASSERT_TRUE(converter::testing::discPicture(800, 600, 300)
                        .save(QString::fromStdString((pictures() / "photo.png").string())));
        fs::create_directories(temporary());
    }

    // The programs' temporary folder: empty after each command.
    fs::path temporary() const { return home.root() / "tmp"; }

    fs::path pictures() const { return home.root() / "pictures"; }
    fs::path data() const { return home.root() / "data"; }

    // On the folder drive, unless the arguments name an installation or look
    // for them.
    CommandRun run(QStringList arguments) {
        if (!arguments.contains("--image") && !arguments.contains("--machine") &&
            !arguments.contains("find")) {
            arguments.prepend(QString::fromStdString(drive.windows().string()));
            arguments.prepend("--windows-dir");
        }
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", QString::fromStdString(data().string()));
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(home.root().string()));
        environment.insert("HOME", QString::fromStdString(home.root().string()));
        environment.insert("TMPDIR", QString::fromStdString(temporary().string()));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUENLARK_LOGO_PROGRAM), arguments);
        process.waitForFinished(60000);
        CommandRun result;
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput().toStdString();
        result.err = process.readAllStandardError().toStdString();
        return result;
    }

    std::string list() { return run({"list"}).out; }

    static QString q(const fs::path& path) { return QString::fromStdString(path.string()); }

    TempDrive drive;
    TempDrive home;
};

TEST_F(LogoCommand, PutGetRestoreOriginalsAndRandomRoundTrip) {
    // The first command captures the originals before it changes anything.
    CommandRun put = run({"put", "wait", q(pictures() / "pick10.bmp")});
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(put.err, "");
    EXPECT_NE(put.out.find("has been successfully installed as new C:\\WINDOWS\\logow.sys."),
              std::string::npos);
    EXPECT_EQ(TempDrive::read(drive.windows() / "LOGOW.SYS"), realLogo(10));
    EXPECT_EQ(list(),
              "startup\tC:\\logo.sys\tinstalled=logo\tbackup=no\toriginal=copy\n"
              "wait\tC:\\WINDOWS\\logow.sys\tinstalled=logo\tbackup=yes\toriginal=copy\n"
              "shutdown\tC:\\WINDOWS\\logos.sys\tinstalled=missing\tbackup=no\toriginal=none\n");

    ASSERT_EQ(run({"get", "wait", q(home.root() / "got.sys")}).status, 0);
    EXPECT_EQ(TempDrive::read(home.root() / "got.sys"), realLogo(10));

    // Restore puts the backup back and keeps the replaced logo as the backup.
    ASSERT_EQ(run({"restore", "wait"}).status, 0);
    EXPECT_EQ(TempDrive::read(drive.windows() / "LOGOW.SYS"), realLogo(2));
    ASSERT_EQ(run({"restore", "wait"}).status, 0);
    EXPECT_EQ(TempDrive::read(drive.windows() / "LOGOW.SYS"), realLogo(10));

    // Twenty random picks: never the logo installed at the time.
    std::set<std::string> picked;
    for (int i = 0; i < 20; ++i) {
        const std::string before = TempDrive::read(drive.windows() / "LOGOW.SYS");
        const CommandRun random = run({"random", "wait", q(pictures()), "--no-backup"});
        ASSERT_EQ(random.status, 0) << random.err;
        const std::string after = TempDrive::read(drive.windows() / "LOGOW.SYS");
        EXPECT_NE(after, before);
        picked.insert(after);
    }
    EXPECT_EQ(picked, (std::set<std::string>{realLogo(10), realLogo(11), realLogo(12)}));

    ASSERT_EQ(run({"put", "shutdown", q(pictures() / "pick11.bmp")}).status, 0);
    const CommandRun originals = run({"originals"});
    ASSERT_EQ(originals.status, 0) << originals.err;
    EXPECT_EQ(originals.out, "All original logos have been successfully restored.\n");
    EXPECT_EQ(TempDrive::read(drive.windows() / "LOGOW.SYS"), realLogo(2));
    EXPECT_FALSE(fs::exists(drive.windows() / "logos.sys"));
    // The start-up logo built into IO.SYS, written out as a logo file.
    const std::string builtin = converter::encodeLogo(converter::testing::patternLogo());
    TempDrive::put(drive.root() / "io.sys",
                   converter::testing::fakeIoSys(converter::testing::compressLogoStream(builtin)));
    ASSERT_EQ(run({"builtin", q(home.root() / "builtin.sys")}).status, 0);
    EXPECT_EQ(TempDrive::read(home.root() / "builtin.sys"), builtin);

    // All of it in the installation's own folder, nothing beside the drive.
    EXPECT_TRUE(fs::exists(data() / "quenlark/installations"));
    EXPECT_FALSE(fs::exists(drive.tools() / "BACKUP"));
}

// put --convert makes any picture a logo on the way in, backup and all, and
// leaves no file of its own behind.
TEST_F(LogoCommand, PutConvertInstallsAPicture) {
    const CommandRun put =
        run({"put", "wait", q(pictures() / "photo.png"), "--convert", "--fill", "--band", "236"});
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(put.out.rfind("The logo made from Z:\\", 0), 0u) << put.out;
    EXPECT_NE(put.out.find("photo.png has been successfully installed as new "
                           "C:\\WINDOWS\\logow.sys.\n"),
              std::string::npos)
        << put.out;
    const auto installed = converter::decodeLogo(TempDrive::read(drive.windows() / "LOGOW.SYS"));
    ASSERT_TRUE(installed) << installed.error();
    EXPECT_EQ(installed->firstCycled, 236);
    EXPECT_EQ(TempDrive::read(drive.windows() / "LOGOW.SYS").size(), converter::kLogoFileSize);
    EXPECT_NE(list().find("wait\tC:\\WINDOWS\\logow.sys\tinstalled=logo\tbackup=yes"),
              std::string::npos);
    // Qt keeps its runtime folder there when there is no other.
    for (const auto& left : fs::directory_iterator(temporary()))
        EXPECT_EQ(left.path().filename().string().rfind("runtime-", 0), 0u) << left.path();
}

// The same commands on a disk image, changed in place and left clean; a copy
// of the image under another name finds the originals of the first.
TEST_F(LogoCommand, DiskImageAndItsCopyShareTheirOriginals) {
    ImageMaker maker(home.root() / "images");
    ImageRecipe recipe;
    recipe.files["WINDOWS/LOGOW.SYS"] = realLogo(2);
    const MadeImage image = maker.makeRaw("w98.img", recipe);
    const QString file = q(image.file);
    const CommandRun put = run({"--image", file, "put", "wait", q(pictures() / "pick10.bmp")});
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_TRUE(maker.readFile(image, "WINDOWS/LOGOW.SYS") == realLogo(10));
    EXPECT_EQ(maker.fsckFindings(image), "");

    MadeImage renamed = image;
    renamed.file = home.root() / "renamed.img";
    fs::copy_file(image.file, renamed.file);
    const QString copy = q(renamed.file);
    EXPECT_NE(run({"--image", copy, "list"})
                  .out.find("wait\tC:\\WINDOWS\\logow.sys\tinstalled=logo"
                            "\tbackup=yes\toriginal=copy"),
              std::string::npos);
    ASSERT_EQ(run({"--image", copy, "originals"}).status, 0);
    EXPECT_TRUE(maker.readFile(renamed, "WINDOWS/LOGOW.SYS") == realLogo(2));
    EXPECT_TRUE(maker.readFile(image, "WINDOWS/LOGOW.SYS") == realLogo(10));
}

// find lists the emulators' machines that hold Windows, a line each, in a
// form that --image, --partition and --machine take back.
TEST_F(LogoCommand, FindListsMachinesThatTheOtherCommandsOpen) {
    ImageMaker maker(home.root() / "images");
    ImageRecipe recipe;
    recipe.files = {
        {"IO.SYS", "io"}, {"MSDOS.SYS", "[Paths]\r\n"}, {"WINDOWS/LOGOW.SYS", realLogo(2)}};
    const MadeImage w98 = maker.makeRaw("w98.img", recipe);
    const MadeImage first = maker.makeRaw("twin1.img", recipe);
    const MadeImage second = maker.makeRaw("twin2.img", recipe);
    // XDG_CONFIG_HOME is the home folder here.
    TempDrive::put(
        home.root() / "dosbox-x/w98.conf",
        "[dosbox]\ntitle = Win98 Box\n[autoexec]\nimgmount c " + w98.file.string() + "\nboot c:\n");
    TempDrive::put(home.root() / "dosbox-x/Twin.conf",
                   "[autoexec]\nimgmount c \"" + second.file.string() + "\"\n");
    TempDrive::put(home.root() / ".pcem/configs/Twin.cfg",
                   "hdc_fn = " + first.file.string() + "\n");

    const CommandRun find = run({"find"});
    ASSERT_EQ(find.status, 0) << find.err;
    EXPECT_EQ(find.out, "Twin\tPCem\t" + first.file.string() + "\t1\tready\n" + "Twin\tDOSBox-X\t" +
                            second.file.string() + "\t1\tready\n" + "Win98 Box\tDOSBox-X\t" +
                            w98.file.string() + "\t1\tready\n");
    const CommandRun listed = run({"--image", q(w98.file), "--partition", "1", "list"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(run({"--machine", "win98 box", "list"}).out, listed.out);

    struct Refusal {
        QStringList arguments;
        int status;
        const char* says;
    };
    for (const Refusal& refusal : std::vector<Refusal>{
             {{"--machine", "Twin", "list"}, 1, "2 installations belong to machines named"},
             {{"--machine", "Nobody", "list"}, 1, "no machine named \"Nobody\""},
             {{"find", "--image", q(w98.file)}, 2, "find looks at every machine"},
             {{"--machine", "Twin", "--image", q(w98.file), "list"}, 2, "give one of"}}) {
        const CommandRun result = run(refusal.arguments);
        EXPECT_EQ(result.status, refusal.status);
        EXPECT_NE(result.err.find(refusal.says), std::string::npos) << result.err;
    }
    // With no machine at all: status 1 and why.
    fs::remove_all(home.root() / "dosbox-x");
    fs::remove_all(home.root() / ".pcem");
    const CommandRun none = run({"find"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
}

TEST_F(LogoCommand, RefusalsChangeNothing) {
    ASSERT_EQ(run({"list"}).status, 0);  // the first use's own folders and copies
    TempDrive::put(home.root() / "existing.sys", "mine");
    const auto before = snapshot(drive.root());
    struct Refusal {
        QStringList arguments;
        int status;
        const char* says;
    };
    const std::vector<Refusal> refusals{
        {{"put", "wait", q(pictures() / "notes.txt")}, 1, "can't be used as logo screen"},
        {{"put", "wait", q(pictures() / "photo.png")}, 1, "--convert makes a logo of this"},
        {{"put", "wait", q(pictures() / "notes.txt"), "--convert"}, 1, "is not a picture"},
        {{"put", "wait", q(pictures() / "photo.png"), "--fill"}, 2, "goes with put --convert"},
        {{"put", "wait", q(pictures() / "photo.png"), "--convert", "--band", "1"}, 2, "from 2"},
        {{"list", "--convert"}, 2, "--convert goes with put only"},
        {{"put", "wait", q(pictures() / "gone.bmp")}, 1, "there is no file"},
        {{"get", "wait", q(home.root() / "no/such/folder/out.sys")}, 1, "cannot write"},
        {{"get", "wait", q(home.root() / "existing.sys")}, 1, "--force replaces it"},
        {{"get", "shutdown", q(home.root() / "new.sys")}, 1, "is missing"},
        {{"restore", "wait"}, 1, "doesn't exist ! Make a backup first !"},
        {{"random", "wait", q(home.root() / "existing.sys")}, 1, "there is no folder"},
        {{"builtin", q(home.root() / "builtin.sys")}, 1, "IO.SYS"},
        {{"put", "middle", q(pictures() / "pick10.bmp")}, 2, "no slot \"middle\""},
        {{"put", "wait"}, 2, "put takes 2 argument(s)"},
        {{"sing"}, 2, "unknown command"},
        {{"check", "wait"}, 2, "check takes 0 argument(s)"},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.arguments.join(' ').toStdString());
        const CommandRun result = run(refusal.arguments);
        EXPECT_EQ(result.status, refusal.status);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(refusal.says), std::string::npos) << result.err;
        if (refusal.status == 1) {
            EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        }
        EXPECT_EQ(snapshot(drive.root()), before);
    }
    // The check only reads: its findings, one a line, and status 1.
    const CommandRun check = run({"check"});
    EXPECT_EQ(check.status, 1);
    // The Start Up logo has no palette to turn (a note), no Shut Down logo.
    EXPECT_EQ(check.out.rfind("Start Up: ", 0), 0u) << check.out;
    EXPECT_NE(check.out.find("\nShut Down: There is no C:\\WINDOWS\\logos.sys"), std::string::npos)
        << check.out;
    EXPECT_EQ(std::count(check.out.begin(), check.out.end(), '\n'), 2) << check.out;
    EXPECT_EQ(snapshot(drive.root()), before);
    EXPECT_EQ(TempDrive::read(home.root() / "existing.sys"), "mine");
    EXPECT_FALSE(fs::exists(home.root() / "new.sys"));
}

}  // namespace
}  // namespace quenlark::testing
