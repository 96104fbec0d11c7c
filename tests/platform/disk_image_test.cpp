// A partition of a disk image as drive C: under the logo store, in every
// format and FAT type, with the image checked afterwards by tools of its own.
#include <gtest/gtest.h>

#include "disk_image_fixture.h"
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

// Swap, get, backup, restore and the originals, through the logo store and a
// scripted user, in each format; each FAT type in some of them.
TEST_F(DiskImageTest, EachFormatAndFatTypeRoundTripsThroughTheLogoStore) {
    const std::vector<std::pair<ImageFormat, int>> cases{
        {ImageFormat::Raw, 12},        {ImageFormat::Raw, 32},      {ImageFormat::FixedVhd, 16},
        {ImageFormat::DynamicVhd, 32}, {ImageFormat::FixedVdi, 12}, {ImageFormat::DynamicVdi, 16},
        {ImageFormat::Qcow2, 16},      {ImageFormat::Vmdk, 12},
    };
    const fs::path newLogo = drive.tools() / "new.bmp";
    TempDrive::put(newLogo, logoBytes("new wait"));
    int number = 0;
    for (const auto& [format, fatBits] : cases) {
        SCOPED_TRACE(qemuFormatName(format) + " FAT" + std::to_string(fatBits));
        const std::string name = "disk" + std::to_string(++number);
        MadeImage image = maker.makeRaw(name + ".img", windowsRecipe(fatBits));
        if (format != ImageFormat::Raw)
            image = maker.convert(image, format, name + "." + qemuFormatName(format));
        const std::string identity = identityBytes(image);
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
        EXPECT_EQ(maker.fsckFindings(image), "");
        EXPECT_EQ(identityBytes(image), identity);
    }
}

// Logical drives, a bare volume, and where MSDOS.SYS says Windows lives.
TEST_F(DiskImageTest, FindsThePartitionAndTheWindowsFolder) {
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
