#include "installation_check.h"
#include "slot_report.h"
#include "started_store.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using testing::FileOp;
using testing::StartedStore;
using testing::TempDrive;

const std::string kRefusal =
    "This file can't be used as logo screen. Make sure by using an editor (such as Paint Shop "
    "Pro) that the bitmap size = 320x400 and the number of used colors = 256. The bitmap file "
    "size should consequently be 129.078 bytes.";

using CheckTest = StartedStore;

TEST_F(CheckTest, OnlyTheTwoLogoLengthsAreAccepted) {
    for (std::size_t size : {129077, 129078, 129079, 129136, 129137, 129138, 0}) {
        TempDrive::put(drive.tools() / "cand.bmp", std::string(size, '\0'));
        const bool accepted = size == 129078 || size == 129137;
        EXPECT_EQ(store().checkLogoSize("C:\\TOOLS\\cand.bmp"), accepted) << size;
        EXPECT_EQ(user().messages.size(), accepted ? 0u : 1u) << size;
        forget();
    }
}

TEST_F(CheckTest, ContentAndNameDoNotMatter) {
    TempDrive::put(drive.tools() / "notes.txt", std::string(129078, 'x'));
    user().setStatus("before");
    EXPECT_TRUE(store().checkLogoSize("C:\\TOOLS\\notes.txt"));
    EXPECT_EQ(user().status(), "before");
}

TEST_F(CheckTest, RefusalWritesTheStatusBeforeTheBox) {
    TempDrive::put(drive.tools() / "Big Logo.BMP", std::string(129079, 'x'));
    EXPECT_FALSE(store().checkLogoSize("C:\\TOOLS\\Big Logo.BMP"));
    ASSERT_EQ(user().messages.size(), 1u);
    EXPECT_EQ(user().messages[0].text, kRefusal);
    EXPECT_EQ(user().messages[0].style, MessageStyle::OkCritical);
    EXPECT_EQ(user().messages[0].statusShown, "C:\\TOOLS\\Big Logo.BMP couldn't be used !");
}

TEST_F(CheckTest, FilesWithoutALengthAreRefused) {
    fs::create_directory(drive.tools() / "folder.bmp");
    TempDrive::put(drive.tools() / "locked.bmp", std::string(129078, 'x'));
    files().failOn(FileOp::Length, "locked.bmp");
    EXPECT_FALSE(store().checkLogoSize("C:\\TOOLS\\gone.bmp"));
    EXPECT_FALSE(store().checkLogoSize("C:\\TOOLS\\folder.bmp"));
    EXPECT_FALSE(store().checkLogoSize("C:\\TOOLS\\locked.bmp"));
    EXPECT_EQ(user().messages.size(), 3u);
    EXPECT_EQ(user().status(), "C:\\TOOLS\\locked.bmp couldn't be used !");
}

// A slot file far larger than any logo is not a logo: it is never read
// whole, captured as the original, backed up or shown, whatever its size.
TEST_F(CheckTest, FileTooLargeForALogoIsNeverReadCopiedOrShown) {
    const std::uint64_t size = 5 * 1024 * 1024;
    TempDrive::put(installed(Slot::Wait), std::string(size, 'B'));
    std::filesystem::remove(original(Slot::Wait));
    restart();
    const std::string tooLarge = "C:\\WINDOWS\\logow.sys is not a logo: it is " +
                                 std::to_string(size) + " bytes long, where a logo is 129,078.";
    EXPECT_FALSE(fs::exists(original(Slot::Wait)));
    EXPECT_FALSE(fs::exists(drive.tools() / "ORIGINAL" / "logow.none"));
    EXPECT_EQ(user().thumbnails[1], "");

    store().onBackUp(Slot::Wait);
    ASSERT_EQ(user().messages.size(), 1u);
    EXPECT_EQ(user().messages[0].text, tooLarge + " Quenlark does not copy it.");
    EXPECT_EQ(user().status(), "Error while copying file !");
    EXPECT_FALSE(fs::exists(backup(Slot::Wait)));

    EXPECT_EQ(reportSlot(files(), store().paths(), Slot::Wait).installed,
              SlotReport::Installed::NotALogo);
    const auto findings = checkInstallation(files(), store().paths());
    EXPECT_TRUE(std::any_of(findings.begin(), findings.end(), [&](const Finding& f) {
        return f.cause == FindingCause::LogoNotABitmap && f.text.rfind(tooLarge, 0) == 0;
    }));
    for (const auto& call : files().calls())
        EXPECT_FALSE(call.path.find("logow.sys") != std::string::npos &&
                     (call.op == testing::FileCall::ReadFile || call.op == testing::FileCall::Copy))
            << call.text();

    // Swapped with Yes: there is no logo to keep, so none is kept.
    TempDrive::put(drive.tools() / "new.bmp", testing::logoBytes("new"));
    user().chosenFiles = {"C:\\TOOLS\\new.bmp"};
    user().answers = {Answer::Yes};
    store().onSwap(Slot::Wait);
    EXPECT_EQ(read(installed(Slot::Wait)), logo("new"));
    EXPECT_FALSE(fs::exists(backup(Slot::Wait)));
}

}  // namespace
}  // namespace quenlark
