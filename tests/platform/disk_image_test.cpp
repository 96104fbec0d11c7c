// A partition of a disk image as drive C: under the logo store, in every
// format and FAT type, on disks fresh from mkfs.fat and on disks as Windows
// leaves them, with the image checked afterwards by tools of its own.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "disk_image_fixture.h"
#include "installation_check.h"
#include "logo_store.h"
#include "scripted_user.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using namespace testing;

// The identity fields a virtual machine knows its disk by: the VHD footer's
// unique id, the VDI header's image, snapshot, link and parent ids.
std::string identityBytes(const MadeImage& image) {
    const std::string bytes = fileContent(image.file);
    switch (image.format) {
        case ImageFormat::FixedVhd:
        case ImageFormat::DynamicVhd:
            return bytes.substr(bytes.size() - 512 + 68, 16);
        case ImageFormat::FixedVdi:
        case ImageFormat::DynamicVdi:
            return bytes.substr(0x188, 64);
        default:
            return {};
    }
}

// fsck.fat's report as two of them compare: the free-cluster count and the
// closing summary move with every file written.
std::string comparable(const std::string& report) {
    std::istringstream lines(report);
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        if (line.find(" files, ") != std::string::npos)
            continue;
        if (line.rfind("Free cluster summary", 0) == 0)
            line = line.substr(0, line.find('('));
        kept += line + "\n";
    }
    return kept;
}

// What the installation check says of the volume's condition, as one text.
std::string volumeNotes(FileSystem& files, const StorePaths& paths) {
    std::string notes;
    for (const Finding& finding : checkInstallation(files, paths))
        if (finding.cause == FindingCause::VolumeCondition) {
            EXPECT_EQ(finding.severity, Severity::Note);
            notes += finding.text + "\n";
        }
    return notes;
}

// Swap, get, backup, restore and the originals, through the logo store and a
// scripted user, in each format; each FAT type in some of them, and each of
// the imperfections Windows leaves both in place and through an export.
// Windows' marks stay as they were, fsck.fat finds neither more nor less
// afterwards, and the installation check tells what it found.
TEST_F(DiskImageTest, EachFormatAndFatTypeRoundTripsThroughTheLogoStore) {
    using I = Imperfection;
    struct Case {
        ImageFormat format;
        int fatBits;
        std::set<Imperfection> imperfections;
    };
    const std::vector<Case> cases{
        {ImageFormat::Raw, 12, {}},
        {ImageFormat::Raw, 16, {I::NotShutDownCleanly, I::DiskErrorSeen}},
        {ImageFormat::Raw,
         32,
         {I::NotShutDownCleanly, I::DiskErrorSeen, I::DirtyBootSector, I::LostClusters,
          I::StaleFreeCount, I::StampedBootSector}},
        {ImageFormat::FixedVhd, 16, {I::DirtyBootSector, I::LostClusters}},
        {ImageFormat::DynamicVhd, 32, {I::UnknownFreeCount, I::NotShutDownCleanly}},
        {ImageFormat::FixedVdi, 12, {I::DirtyBootSector}},
        {ImageFormat::DynamicVdi, 16, {I::NotShutDownCleanly, I::LostClusters}},
        {ImageFormat::Qcow2, 16, {I::DiskErrorSeen}},
        {ImageFormat::Vmdk, 32, {I::StampedBootSector, I::StaleFreeCount, I::LostClusters}},
    };
    // What the check says of the imperfections, each text for any of its causes.
    const std::vector<std::pair<std::string, std::set<Imperfection>>> told{
        {"Windows was not shut down cleanly; ScanDisk will check the disk at the next start.",
         {I::NotShutDownCleanly, I::DirtyBootSector}},
        {"disk error", {I::DiskErrorSeen}},
        {"(lost clusters)", {I::LostClusters}},
        {"out of date", {I::StaleFreeCount}},
        {"backup copy", {I::StampedBootSector}},
    };
    SKIP_WITHOUT_FUSE();
    const fs::path newLogo = drive.tools() / "new.bmp";
    TempDrive::put(newLogo, logoBytes("new wait"));
    int number = 0;
    for (const auto& [format, fatBits, imperfections] : cases) {
        SCOPED_TRACE(qemuFormatName(format) + " FAT" + std::to_string(fatBits) + ", " +
                     std::to_string(imperfections.size()) + " imperfections");
        const std::string name = "disk" + std::to_string(++number);
        MadeImage image = maker.makeRaw(name + ".img", windowsRecipe(fatBits));
        maker.giveImperfections(image, imperfections);
        if (format != ImageFormat::Raw)
            image = maker.convert(image, format, name + "." + qemuFormatName(format));
        const std::string identity = identityBytes(image);
        const std::string findings = comparable(maker.fsckFindings(image));
        const std::string marks = maker.windowsMarks(image);
        fs::remove_all(drive.tools());
        fs::create_directories(drive.tools());
        TempDrive::put(newLogo, logoBytes("new wait"));

        auto disk = open(image);
        ASSERT_TRUE(disk);
        EXPECT_EQ(disk->format(), format);
        EXPECT_EQ(disk->windowsDirectory(), "C:\\WINDOWS");
        ImageFileSystem files(*disk, DriveMap(), onHost(drive.tools()));
        ImageWindowsDirectory windows(*disk);
        ScriptedUser user(files);
        LogoStore store(files, windows, user, disk->notice());
        ASSERT_TRUE(store.startUp());
        const std::string notes = volumeNotes(files, store.paths());
        for (const auto& [text, causes] : told) {
            bool caused = false;
            for (Imperfection cause : causes)
                caused = caused || imperfections.count(cause) != 0;
            EXPECT_EQ(notes.find(text) != std::string::npos, caused) << text << " in:\n" << notes;
        }
        EXPECT_EQ(notes.empty(),
                  imperfections.empty() || imperfections == std::set{I::UnknownFreeCount});
        EXPECT_EQ(brief(TempDrive::read(drive.tools() / "ORIGINAL" / "logow.ori")),
                  brief(logoBytes("old wait")));
        // The settings file is the program's own, on the host: a look at an
        // image writes nothing into it.
        EXPECT_EQ(TempDrive::read(drive.tools() / "quenlark.ini"),
                  "LastUsedDir=" + onHost(drive.tools()) + "\r\n");
        EXPECT_FALSE(files.fileExists("C:\\WINDOWS\\QUENLARK.INI"));

        user.chosenFiles = {onHost(newLogo)};
        user.answers = {Answer::Yes};
        store.onSwap(Slot::Wait);
        EXPECT_EQ(brief(maker.readFile(image, "WINDOWS/LOGOW.SYS")), brief(logoBytes("new wait")))
            << files.lastFailure();
        EXPECT_EQ(brief(files.readFile("c:\\windows\\logow.sys", 1 << 20)),
                  brief(logoBytes("new wait")));
        EXPECT_EQ(brief(TempDrive::read(drive.tools() / "BACKUP" / "logow.qnk")),
                  brief(logoBytes("old wait")));

        store.onBackUp(Slot::Wait);
        EXPECT_EQ(brief(TempDrive::read(drive.tools() / "BACKUP" / "logow.qnk")),
                  brief(logoBytes("new wait")));
        TempDrive::put(drive.tools() / "BACKUP" / "logow.qnk", logoBytes("backup"));
        user.answers = {Answer::No};
        store.onRestore(Slot::Wait);
        EXPECT_EQ(brief(maker.readFile(image, "WINDOWS/LOGOW.SYS")), brief(logoBytes("backup")));

        user.answers = {Answer::Yes, Answer::No};
        store.restoreOriginals();
        EXPECT_EQ(user.status(), "All original logos have been successfully restored.");
        EXPECT_EQ(brief(maker.readFile(image, "WINDOWS/LOGOW.SYS")), brief(logoBytes("old wait")));
        EXPECT_EQ(brief(maker.readFile(image, "LOGO.SYS")), brief(logoBytes("old start")));
        disk.reset();
        EXPECT_EQ(comparable(maker.fsckFindings(image)), findings);
        EXPECT_TRUE(maker.windowsMarks(image) == marks);
        EXPECT_EQ(identityBytes(image), identity);
    }
}

// Logical drives, a bare volume, and where MSDOS.SYS says Windows lives.
TEST_F(DiskImageTest, FindsThePartitionAndTheWindowsFolder) {
    SKIP_WITHOUT_FUSE();
    const auto logical = maker.makeRaw("logical.img", windowsRecipe(16, PartitionLayout::Logical));
    auto disk = open(logical);
    ASSERT_TRUE(disk);
    EXPECT_EQ(disk->partition().number, 5);
    EXPECT_EQ(disk->notice(), "Drive C: is partition 5 of " + logical.file.string() + ".");
    EXPECT_EQ(disk->displayName(), "logical.img");
    disk = open(logical, 1);
    ASSERT_TRUE(disk);
    EXPECT_EQ(ImageWindowsDirectory(*disk).query(), std::nullopt);

    const auto bare = maker.makeRaw("bare.img", windowsRecipe(12, PartitionLayout::Bare));
    disk = open(bare);
    ASSERT_TRUE(disk);
    EXPECT_EQ(disk->notice(), "Drive C: is the FAT volume " + bare.file.string() + ".");
    ImageFileSystem files(*disk, DriveMap(), "C:\\WINDOWS");
    EXPECT_TRUE(files.writeLine("quenlark.ini", "LastUsedDir=C:\\"));
    EXPECT_EQ(maker.readFile(bare, "WINDOWS/QUENLARK.INI"), "LastUsedDir=C:\\\r\n");

    auto win95 = windowsRecipe();
    win95.files["MSDOS.SYS"] = "[Paths]\r\nWinDir=C:\\WIN95\r\nWinBootDir=C:\\WIN95\r\n";
    win95.files["win95/LOGOW.SYS"] = logoBytes("95");
    win95.protectedFiles = {"MSDOS.SYS"};
    disk = open(maker.makeRaw("win95.img", win95));
    ASSERT_TRUE(disk);
    EXPECT_EQ(ImageWindowsDirectory(*disk).query(), "C:\\win95");

    auto dos = windowsRecipe();
    dos.files["MSDOS.SYS"] = std::string("\x8c\xc8\x8e\xd8[Paths]", 11) + std::string(30000, '\0');
    disk = open(maker.makeRaw("dos.img", dos));
    ASSERT_TRUE(disk);
    EXPECT_EQ(disk->windowsDirectory(), "C:\\WINDOWS");
}

// The identity follows the volume (serial number and label), not the file,
// which may be anywhere: "@@" in its path is part of a name like any other.
TEST_F(DiskImageTest, IdentitySurvivesACopyOfTheFile) {
    SKIP_WITHOUT_FUSE();
    const auto image = maker.makeRaw("a.img", windowsRecipe());
    auto original = open(image);
    ASSERT_TRUE(original);
    EXPECT_EQ(original->identity(), "fat-volume:1234-ABCD:W98");
    MadeImage copy = image;
    copy.file = image.file.parent_path() / "moved@@2" / "b.img";
    fs::create_directories(copy.file.parent_path());
    fs::copy_file(image.file, copy.file);
    auto moved = open(copy);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->identity(), original->identity());
    EXPECT_EQ(moved->windowsDirectory(), "C:\\WINDOWS");
    ImageFileSystem files(*moved, DriveMap(), "C:\\");
    EXPECT_TRUE(files.writeLine("quenlark.ini", "LastUsedDir=C:\\")) << files.lastFailure();
    auto other = windowsRecipe();
    other.serial = "0BADF00D";
    EXPECT_NE(open(maker.makeRaw("c.img", other))->identity(), original->identity());
}

// The current installation opened anew: the new opening reads on after the
// old one is let go, though both used the same work folder.
TEST_F(DiskImageTest, TheSameImageOpenedTwiceInOneProcess) {
    SKIP_WITHOUT_FUSE();
    const auto image = maker.convert(maker.makeRaw("twice.img", windowsRecipe()),
                                     ImageFormat::Qcow2, "twice.qcow2");
    auto old = open(image);
    auto reopened = open(image);
    ASSERT_TRUE(old && reopened);
    old.reset();
    ImageFileSystem files(*reopened, DriveMap(), "C:\\");
    EXPECT_EQ(files.fileLength("C:\\WINDOWS\\LOGOW.SYS"), 129078u) << files.lastFailure();
}

// Every operation of the interface on the image, next to the host's drive,
// with one current directory across both.
TEST_F(DiskImageTest, FileOperationsOnTheImageBehaveAsOnTheHost) {
    SKIP_WITHOUT_FUSE();
    auto recipe = windowsRecipe();
    recipe.files["WINDOWS/LOGOS.SYS"] = logoBytes("protected");
    recipe.protectedFiles = {"WINDOWS/LOGOS.SYS"};
    const auto image = maker.makeRaw("ops.img", recipe);
    auto disk = open(image);
    ASSERT_TRUE(disk);
    ImageFileSystem files(*disk, DriveMap(), onHost(drive.tools()));

    EXPECT_TRUE(files.fileExists("c:\\windows\\logow.sys"));
    EXPECT_FALSE(files.fileExists("C:\\WINDOWS"));
    EXPECT_EQ(files.fileLength("C:\\Windows\\LOGOW.SYS"), 129078u);
    EXPECT_EQ(files.fileLength("C:\\WINDOWS"), std::nullopt);

    // A replaced file keeps its attributes; a new one keeps the spelling given.
    TempDrive::put(drive.tools() / "new.bmp", logoBytes("new"));
    EXPECT_TRUE(files.copyFile("new.bmp", "C:\\windows\\logos.sys"));
    EXPECT_EQ(brief(maker.readFile(image, "WINDOWS/LOGOS.SYS")), brief(logoBytes("new")));
    const std::string volume = image.file.string() + "@@" + std::to_string(image.offset);
    EXPECT_TRUE(mentions(maker.run("mattrib", {"-i", volume, "::/WINDOWS/LOGOS.SYS"}), "SHR"));
    EXPECT_TRUE(files.copyFile("C:\\WINDOWS\\LOGOS.SYS", "C:\\Logo é.bmp"));
    EXPECT_TRUE(mentions(maker.run("mdir", {"-i", volume, "::/"}), "Logo é.bmp"));
    EXPECT_TRUE(files.copyFile("C:\\logo é.BMP", "logos.copy")) << files.lastFailure();
    EXPECT_EQ(brief(TempDrive::read(drive.tools() / "logos.copy")), brief(logoBytes("new")));

    EXPECT_TRUE(files.setCurrentDirectory("C:\\windows"));
    EXPECT_EQ(files.currentDirectory(), "C:\\windows");
    EXPECT_TRUE(files.createFolder("ORIGINAL"));
    EXPECT_FALSE(files.createFolder("original"));
    EXPECT_FALSE(files.createFolder("C:\\NO\\SUCH"));
    EXPECT_TRUE(files.setCurrentDirectory("original"));
    EXPECT_TRUE(files.writeEmptyFile("logo.none"));
    EXPECT_EQ(files.fileLength("C:\\WINDOWS\\ORIGINAL\\LOGO.NONE"), 0u);
    EXPECT_EQ(files.readFirstLine("logo.none"), std::nullopt);
    EXPECT_TRUE(files.deleteFile("LOGO.NONE"));
    EXPECT_FALSE(files.deleteFile("logo.none"));
    EXPECT_FALSE(files.setCurrentDirectory("C:\\WINDOWS\\WIN.COM"));
    EXPECT_EQ(files.currentDirectory(), "C:\\windows\\original");

    EXPECT_FALSE(files.writeLine("C:\\NOFOLDER\\x.ini", "x"));
    EXPECT_TRUE(mentions(files.lastFailure(), "does not exist"));
    EXPECT_FALSE(files.copyFile("C:\\WINDOWS\\LOGOW.SYS", "C:\\WINDOWS"));
    EXPECT_FALSE(files.fileExists("C:\\WINDOWS\\*.SYS"));
    EXPECT_TRUE(mentions(files.lastFailure(), "pattern"));

    EXPECT_TRUE(files.setCurrentDirectory(onHost(drive.tools())));
    EXPECT_TRUE(files.copyFile("new.bmp", "host.copy"));
    EXPECT_EQ(brief(TempDrive::read(drive.tools() / "host.copy")), brief(logoBytes("new")));
    disk.reset();
    EXPECT_EQ(maker.fsckFindings(image), "");
}

}  // namespace
}  // namespace quenlark
