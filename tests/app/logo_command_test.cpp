// quenlark-logo end to end, as a script runs it, on a real folder: every
// command changes the installation as the window's buttons do, keeps its
// backups and originals in the installation's own folder, and refuses bad
// input with status 1, one line on standard error and nothing changed.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <cstring>
#include <map>
#include <set>

#include "fake_io_sys.h"
#include "fuse_access.h"
#include "image_maker.h"
#include "logo_bitmap.h"
#include "ordinary_user.h"
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

    // On the folder drive, unless the arguments name an installation, look
    // for them or ask for the one used last.
    CommandRun run(QStringList arguments, bool lastUsed = false) {
        if (!arguments.contains("--image") && !arguments.contains("--machine") &&
            !arguments.contains("find") && !arguments.contains("--windows-dir") && !lastUsed) {
            arguments.prepend(QString::fromStdString(drive.windows().string()));
            arguments.prepend("--windows-dir");
        }
        QProcess process;
        prepare(process);
        const fs::path program =
            asUser ? programFor(*asUser, QUENLARK_LOGO_PROGRAM) : fs::path(QUENLARK_LOGO_PROGRAM);
        process.start(q(program), arguments);
        process.waitForFinished(60000);
        CommandRun result;
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput().toStdString();
        result.err = process.readAllStandardError().toStdString();
        return result;
    }

    std::string list() { return run({"list"}).out; }

    // In the user's folders of `home`; as `asUser` when one is set.
    void prepare(QProcess& process) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", QString::fromStdString(data().string()));
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(home.root().string()));
        environment.insert("HOME", QString::fromStdString(home.root().string()));
        environment.insert("TMPDIR", QString::fromStdString(temporary().string()));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(environment);
        if (asUser)
            process.setChildProcessModifier([user = *asUser] {
                if (!becomeUser(user))
                    ::_exit(126);
            });
    }

    // The one installation's own folder, where its BACKUP and ORIGINAL are.
    fs::path startupFolder() const {
        std::error_code ec;
        const fs::directory_iterator first(data() / "quenlark/installations", ec);
        return ec || first == fs::directory_iterator() ? fs::path() : first->path();
    }
    // One refusal: status 1 and the sentence on standard error.
    void expectRefused(const QStringList& arguments, const std::string& says,
                       bool lastUsed = false) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CommandRun result = run(arguments, lastUsed);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(says), std::string::npos) << result.err;
    }

    std::optional<OrdinaryUser> asUser;
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
    if (const auto noFuse = whyFuseIsUnusable())
        GTEST_SKIP() << noFuseSentence(*noFuse);
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

    // A read-only image: a change is refused before anything is copied, and
    // the backup stays the one made before.
    fs::permissions(image.file, fs::perms(0444));
    const std::string before = fileContent(image.file);
    const std::string backedUp = TempDrive::read(startupFolder() / "BACKUP/logow.qnk");
    for (const QStringList& change : {QStringList{"put", "wait", q(pictures() / "pick11.bmp")},
                                      {"random", "wait", q(pictures())},
                                      {"originals"}})
        expectRefused(QStringList{"--image", file} + change, "is read-only, so its logos can be");
    EXPECT_TRUE(fileContent(image.file) == before);
    EXPECT_TRUE(TempDrive::read(startupFolder() / "BACKUP/logow.qnk") == backedUp);
    EXPECT_FALSE(fs::exists(startupFolder() / "BACKUP/logow.new"));
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
        {{"get", "wait", q(home.root() / "no/such/folder/out.sys")}, 1, "cannot be written"},
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
    // The check only reads: its findings, one a line, and status 1 for a
    // problem. The Start Up logo has no palette to turn (a note), there is
    // no Shut Down logo (a problem).
    CommandRun check = run({"check"});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(check.out.rfind("Note: Start Up: ", 0), 0u) << check.out;
    EXPECT_NE(check.out.find("\nProblem: Shut Down: There is no C:\\WINDOWS\\logos.sys"),
              std::string::npos)
        << check.out;
    EXPECT_EQ(std::count(check.out.begin(), check.out.end(), '\n'), 2) << check.out;
    EXPECT_EQ(snapshot(drive.root()), before);
    EXPECT_EQ(TempDrive::read(home.root() / "existing.sys"), "mine");
    EXPECT_FALSE(fs::exists(home.root() / "new.sys"));

    // Notes alone are no failure.
    TempDrive::put(drive.windows() / "LOGOS.SYS", realLogo(3));
    check = run({"check"});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_EQ(check.out.rfind("Note: Start Up: ", 0), 0u) << check.out;
    EXPECT_NE(check.out.find("\nWindows will show all three logos.\n"), std::string::npos);
}

// Listing, getting, backing up, checking and the window's start read the
// image and write nothing into it: its settings file is on the host.
TEST_F(LogoCommand, ALookChangesNoByteOfADiskImage) {
    ImageMaker maker(home.root() / "images");
    ImageRecipe recipe;
    recipe.files = {{"LOGO.SYS", realLogo(1)},
                    {"WINDOWS/LOGOW.SYS", realLogo(2)},
                    {"WINDOWS/LOGOS.SYS", realLogo(3)},
                    {"IO.SYS", converter::testing::fakeIoSys(converter::testing::compressLogoStream(
                                   converter::encodeLogo(converter::testing::patternLogo())))}};
    const MadeImage raw = maker.makeRaw("w98.img", recipe);
    for (const MadeImage& image : {raw, maker.convert(raw, ImageFormat::FixedVhd, "w98.vhd")}) {
        SCOPED_TRACE(image.file.string());
        const std::string before = fileContent(image.file);
        const QString file = q(image.file);
        for (const QStringList& look : {QStringList{"list"},
                                        {"get", "wait", q(home.root() / "got.sys")},
                                        {"backup", "wait"},
                                        {"check"},
                                        {"builtin", q(home.root() / "builtin.sys")}}) {
            EXPECT_EQ(run(QStringList{"--image", file, "--force"} + look).status, 0);
            EXPECT_TRUE(fileContent(image.file) == before) << look.join(' ').toStdString();
        }
        EXPECT_EQ(maker.readFile(image, "WINDOWS/QUENLARK.INI"), std::nullopt);

        // The window, until its start has captured the originals and it has
        // had a moment to show itself.
        fs::remove_all(data());
        QProcess window;
        prepare(window);
        window.start(QStringLiteral(QUENLARK_PROGRAM), {"--image", file});
        auto started = [&] { return fs::exists(startupFolder() / "ORIGINAL/logos.ori"); };
        for (int i = 0; i < 600 && !started() && window.state() != QProcess::NotRunning; ++i)
            window.waitForFinished(100);
        EXPECT_TRUE(started()) << window.readAllStandardError().toStdString();
        window.waitForFinished(1000);
        window.terminate();
        window.waitForFinished(10000);
        EXPECT_TRUE(fileContent(image.file) == before);
        EXPECT_EQ(TempDrive::read(startupFolder() / "quenlark.ini").rfind("LastUsedDir=Z:\\", 0),
                  0u);
    }
}

// A FIFO (or anything else that is no ordinary file) as a logo, the picture
// to install, the list of installations or the image it names: refused at
// once with a sentence; nothing waits for a writer that never comes.
TEST_F(LogoCommand, WhatIsNoRegularFileIsRefusedAtOnce) {
    ASSERT_EQ(run({"list"}).status, 0);
    const fs::path logo = drive.root() / "LOGO.SYS";
    const fs::path fifo = pictures() / "fifo.bmp";
    fs::remove(logo);
    ASSERT_EQ(::mkfifo(logo.c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string refusal = logo.string() + " is a named pipe (FIFO), not an ordinary file";
    expectRefused({"backup", "startup"}, refusal);
    expectRefused({"put", "startup", q(pictures() / "pick10.bmp")}, refusal);
    expectRefused({"originals"}, refusal);
    expectRefused({"put", "wait", q(fifo)},
                  fifo.string() + " is a named pipe (FIFO), not an ordinary file");
    EXPECT_TRUE(TempDrive::read(drive.windows() / "LOGOW.SYS") == realLogo(2));

    const fs::path config = home.root() / "quenlark/quenlark.conf";
    TempDrive::put(config,
                   "[installations]\n1\\kind=image\n1\\path=" + fifo.string() + "\nsize=1\n");
    expectRefused({"list"}, "The disk image " + fifo.string() + " is a named pipe (FIFO)", true);
    fs::remove(config);
    ASSERT_EQ(::mkfifo(config.c_str(), 0644), 0);
    expectRefused({"list"},
                  "The list of installations " + config.string() + " is a named pipe (FIFO)", true);
}

// A WINDOWS folder that is a link to another drive's: the drive stays the
// folder it was named in, nothing is written where the link leads, and the
// installation keeps the folder its backups were in.
TEST_F(LogoCommand, ALinkNeverLeadsAWriteOffTheDrive) {
    const fs::path linked = home.root() / "linked";
    fs::create_directories(linked);
    fs::create_directory_symlink(drive.windows(), linked / "WINDOWS");
    const QStringList windows{"--windows-dir", q(linked / "WINDOWS")};
    const auto before = snapshot(drive.root());
    EXPECT_EQ(run(windows + QStringList{"put", "startup", q(pictures() / "pick10.bmp")}).status, 0);
    EXPECT_TRUE(TempDrive::read(linked / "logo.sys") == realLogo(10));
    expectRefused(windows + QStringList{"put", "wait", q(pictures() / "pick11.bmp")},
                  "leads out of the drive's folder " + linked.string());
    EXPECT_EQ(snapshot(drive.root()), before);
    ASSERT_EQ(run({"list"}).status, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(data() / "quenlark/installations"), {}), 1);
}

// What permission bits decide, as a user they stop.
TEST_F(LogoCommand, AsAnOrdinaryUser) {
    std::string why;
    asUser = ordinaryUser(&why);
    if (!asUser)
        GTEST_SKIP() << "no ordinary user to try permissions with: " << why;
    TempDrive::put(drive.windows() / "LOGOS.SYS", realLogo(3));
    handOver(drive.root(), *asUser);
    handOver(home.root(), *asUser);
    ASSERT_EQ(run({"backup", "wait"}).status, 0);

    // A private picture installed: the logo stays readable to all.
    fs::permissions(pictures() / "pick10.bmp", fs::perms(0600));
    fs::permissions(drive.windows() / "LOGOW.SYS", fs::perms(0644));
    ASSERT_EQ(run({"put", "wait", q(pictures() / "pick10.bmp"), "--no-backup"}).status, 0);
    EXPECT_EQ(fs::status(drive.windows() / "LOGOW.SYS").permissions(), fs::perms(0644));

    // A logo the user may not read is unreadable, and says why.
    fs::permissions(drive.windows() / "LOGOS.SYS", fs::perms::none);
    const std::string unreadable = "The file " + (drive.windows() / "LOGOS.SYS").string() +
                                   " cannot be read (Permission denied).";
    EXPECT_NE(list().find("shutdown\tC:\\WINDOWS\\logos.sys\tinstalled=unreadable\tbackup=no\t"
                          "original=copy\t" +
                          unreadable + "\n"),
              std::string::npos)
        << list();
    expectRefused({"get", "shutdown", q(home.root() / "out.sys")}, unreadable);

    // A folder the user may not write: refused before anything is copied,
    // the backup left as it was.
    fs::permissions(drive.windows(), fs::perms(0555));
    const std::string backedUp = TempDrive::read(startupFolder() / "BACKUP/logow.qnk");
    const std::string locked =
        "The folder " + drive.windows().string() + " cannot be written (Permission denied).";
    expectRefused({"put", "wait", q(pictures() / "pick11.bmp")}, locked);
    expectRefused({"originals"}, locked);
    EXPECT_EQ(TempDrive::read(startupFolder() / "BACKUP/logow.qnk"), backedUp);
    EXPECT_FALSE(fs::exists(startupFolder() / "BACKUP/logow.new"));
    EXPECT_TRUE(TempDrive::read(drive.windows() / "LOGOW.SYS") == realLogo(10));
    fs::permissions(drive.windows(), fs::perms(0755));
}

// Disk images as a stranger hands them over (made by hostile_images.sh),
// opened from a home whose path holds shell syntax and "@@". Every run ends
// in time and within 200 MiB (unchecked under AddressSanitizer) with its
// status and one line; afterwards no file but the image changed, and nothing
// ran that Quenlark did not start: neither a shell (a PWNED file) nor a
// connection to the listener.
class HostileImage : public ::testing::Test {
  protected:
    static constexpr auto kDeadline = std::chrono::seconds(20);

    static void SetUpTestSuite() {
        char pattern[] = "/tmp/quenlark-hostile-XXXXXX";
        root_ = ::mkdtemp(pattern);
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(listener_, 8);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        QProcess script;
        script.start("bash",
                     {HOSTILE_IMAGES_SCRIPT, q(root_), QString::number(ntohs(address.sin_port))});
        script.waitForFinished(120000);
        ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();
        fs::create_directories(home());
        TempDrive::put(home() / "victim.txt", "victim in the working folder");
    }
    static void TearDownTestSuite() {
        ::close(listener_);
        fs::remove_all(root_);
    }

    static fs::path images() { return root_ / "images"; }
    static fs::path home() { return root_ / "home $(touch PWNED) @@3 -x"; }
    static QString q(const fs::path& path) { return QString::fromStdString(path.string()); }

    // quenlark-logo on the image, started from the home folder.
    CommandRun run(const fs::path& image, QStringList arguments) {
        arguments.prepend(q(image));
        arguments.prepend("--image");
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", q(home()));
        environment.insert("XDG_DATA_HOME", q(home() / "data"));
        environment.insert("XDG_CONFIG_HOME", q(home() / "config"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(q(home()));
#ifndef __SANITIZE_ADDRESS__  // its shadow memory counts as data many times over
        process.setChildProcessModifier([] {
            const rlimit memory{200 * 1024 * 1024, RLIM_INFINITY};
            ::setrlimit(RLIMIT_DATA, &memory);
        });
#endif
        process.start(QStringLiteral(QUENLARK_LOGO_PROGRAM), arguments);
        CommandRun result;
        if (!process.waitForFinished(std::chrono::milliseconds(kDeadline).count())) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "did not end within " << kDeadline.count() << " s";
        }
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput().toStdString();
        result.err = process.readAllStandardError().toStdString();
        return result;
    }

    // Every ordinary file outside the data folder: its size and times, and
    // the content of the small ones (the victims).
    static std::map<fs::path, std::string> outsideFiles() {
        std::map<fs::path, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(root_)) {
            if (!entry.is_regular_file() ||
                entry.path().string().rfind((home() / "data").string(), 0) == 0)
                continue;
            struct stat info {};
            ::stat(entry.path().c_str(), &info);
            auto time = [](const timespec& t) {
                return std::to_string(t.tv_sec) + "." + std::to_string(t.tv_nsec) + " ";
            };
            files[entry.path()] = std::to_string(info.st_size) + " " + time(info.st_mtim) +
                                  time(info.st_ctim) +
                                  std::to_string(std::hash<std::string>()(
                                      info.st_size < 4096 ? TempDrive::read(entry.path()) : ""));
        }
        return files;
    }

    // Nothing changed but `changed`, no shell ran, nobody connected.
    static void expectHarmless(const std::map<fs::path, std::string>& before,
                               const std::set<fs::path>& changed = {}) {
        auto after = outsideFiles();
        for (const auto& [file, state] : before)
            EXPECT_TRUE(changed.count(file) || after[file] == state) << file << " changed";
        for (const auto& [file, state] : after)
            EXPECT_TRUE(before.count(file)) << file << " appeared";
        for (const auto& entry : fs::recursive_directory_iterator(root_))
            EXPECT_NE(entry.path().filename(), "PWNED") << entry.path();
        pollfd connection{listener_, POLLIN, 0};
        EXPECT_EQ(::poll(&connection, 1, 0), 0) << "something connected to the listener";
    }

    static void expectRefused(const CommandRun& run, int status, const std::string& reason,
                              const fs::path& file) {
        EXPECT_EQ(run.status, status);
        EXPECT_EQ(run.out, "");
        // A refusal is one line; a wrong argument adds the usage line.
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), status == 1 ? 1 : 2) << run.err;
        const std::string line = run.err.substr(0, run.err.find('\n'));
        EXPECT_NE(line.find(reason), std::string::npos) << run.err;
        EXPECT_NE(line.find(file.filename().string()), std::string::npos) << run.err;
    }

    static inline fs::path root_;
    static inline int listener_ = -1;
};

TEST_F(HostileImage, NamesWithShellSyntaxReachNoShell) {
    if (const auto noFuse = whyFuseIsUnusable())
        GTEST_SKIP() << noFuseSentence(*noFuse);
    const auto before = outsideFiles();
    fs::path raw;
    std::set<fs::path> opened;
    for (const auto& entry :
         fs::directory_iterator(images() / "-d $(touch PWNED) @@7 `touch PWNED`")) {
        SCOPED_TRACE(entry.path());
        opened.insert(entry.path());
        const CommandRun list = run(entry.path(), {"list"});
        EXPECT_EQ(list.status, 0) << list.err;
        EXPECT_NE(list.out.find("wait\tC:\\WINDOWS\\logow.sys\tinstalled="), std::string::npos);
        if (entry.path().filename().string().rfind("-w98", 0) == 0)
            raw = entry.path();
    }
    TempDrive::put(home() / "new.bmp", realLogo(9));
    const CommandRun put = run(raw, {"put", "wait", q(home() / "new.bmp")});
    EXPECT_EQ(put.status, 0) << put.err;
    fs::remove(home() / "new.bmp");
    expectHarmless(before, opened);
}

TEST_F(HostileImage, ImagesThatNameOtherFilesAreRefusedAndASoundChainChangesOnlyItsTop) {
    if (const auto noFuse = whyFuseIsUnusable())
        GTEST_SKIP() << noFuseSentence(*noFuse);
    TempDrive::put(root_ / "new.bmp", realLogo(9));
    const auto before = outsideFiles();
    const std::vector<std::pair<const char*, const char*>> refused{
        {"vmdk-flat.vmdk", "a descriptor of other files"},
        {"vmdk-split.vmdk", "made of several files"},
        {"data-file.qcow2", "an external data file"},
        {"nbd-json.qcow2", "not a file but a protocol"},
        {"nbd-url.qcow2", "not a file but a protocol"},
        {"outside.qcow2", "lies outside"},
        {"absolute.qcow2", "lies outside"},
        {"link.qcow2", "lies outside"},
        {"loop-a.qcow2", "chain of backing files loops"},
        {"loop-self.qcow2", "chain of backing files loops"},
        {"deep-0.qcow2", "more than 4 backing files"},
        {"lying-format.qcow2", "is raw, but it is qcow2"},
    };
    for (const auto& [name, reason] : refused) {
        SCOPED_TRACE(name);
        expectRefused(run(images() / name, {"list"}), 1, reason, name);
        expectRefused(run(images() / name, {"put", "wait", q(root_ / "new.bmp")}), 1, reason, name);
    }
    expectHarmless(before);

    const fs::path top = images() / "chain" / "top.qcow2";
    EXPECT_EQ(run(top, {"list"}).status, 0);
    const CommandRun put = run(top, {"put", "wait", q(root_ / "new.bmp")});
    EXPECT_EQ(put.status, 0) << put.err;
    expectHarmless(before, {top});
    fs::remove(root_ / "new.bmp");
}

// A logo whose folder entry claims 1 GiB is neither read nor copied whole.
TEST_F(HostileImage, AFileThatClaimsAGibibyteCostsNoMemory) {
    if (const auto noFuse = whyFuseIsUnusable())
        GTEST_SKIP() << noFuseSentence(*noFuse);
    const auto before = outsideFiles();
    const fs::path image = images() / "huge-logo.qcow2";
    const CommandRun list = run(image, {"list"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out.rfind("startup\tC:\\logo.sys\tinstalled=not-a-logo\t", 0), 0u) << list.out;
    // The logo store refuses it before the image's copy bound is reached.
    expectRefused(run(image, {"get", "startup", q(root_ / "got.sys")}), 1,
                  "is not a logo: it is 1073741824 bytes long", "logo.sys");
    EXPECT_FALSE(fs::exists(root_ / "got.sys"));
    for (const auto& entry : fs::recursive_directory_iterator(home() / "data"))
        EXPECT_LT(entry.is_regular_file() ? entry.file_size() : 0, 1u << 20) << entry.path();
    expectHarmless(before);
}

// A FIFO, a folder, a device or a socket as the image, or a FIFO as its
// backing file, is refused at once: nothing waits on it.
TEST_F(HostileImage, OnlyOrdinaryFilesAreReadAsImages) {
    const fs::path socketFile = root_ / "socket.img";
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketFile.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    const auto before = outsideFiles();
    for (const fs::path& notAFile :
         {images() / "pipe.img", images() / "folder.img", fs::path("/dev/zero"), socketFile})
        expectRefused(run(notAFile, {"list"}), 2, "is not a file", notAFile);
    expectRefused(run(images() / "fifo-backing.qcow2", {"list"}), 1,
                  "fifo-backing.raw is a named pipe (FIFO), not an ordinary file",
                  "fifo-backing.qcow2");
    expectHarmless(before);
    ::close(socket);
}

}  // namespace
}  // namespace quenlark::testing
