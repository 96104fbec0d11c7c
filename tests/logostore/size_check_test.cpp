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

}  // namespace
}  // namespace quenlark
