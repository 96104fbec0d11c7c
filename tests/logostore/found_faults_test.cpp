// Faults that the fault matrix and the soak ran into, each pinned down by
// the smallest case that shows it.
#include "started_store.h"

namespace quenlark {
namespace {

using testing::FileOp;
using testing::logoBytes;
using testing::TempDrive;

using FoundFaults = testing::StartedStore;

// The dialog could not make the chosen file's folder current: the settings
// file remembered the folder start-up had left current (the ORIGINAL folder).
TEST_F(FoundFaults, FolderThatCannotBeEnteredIsRememberedAsChosen) {
    TempDrive::put(drive.root() / "PICS" / "new.bmp", logoBytes("new"));
    files().failOn(FileOp::SetCurrentDirectory, "PICS", 1);
    user().chosenFiles = {"C:\\PICS\\new.bmp"};
    user().answers = {Answer::No};
    store().onSwap(Slot::Wait);
    EXPECT_EQ(read(drive.windows() / "quenlark.ini"), "LastUsedDir=C:\\PICS\r\n");
    EXPECT_EQ(read(installed(Slot::Wait)), logo("new"));
}

// Restore Originals answered Yes to the backup went on over a logo whose
// backup had failed and been cancelled: that logo was gone for good.
TEST_F(FoundFaults, RestoreOriginalsKeepsALogoWhoseBackupWasNotMade) {
    for (const auto& slot : kSlots)
        TempDrive::put(installed(slot.slot), logoBytes("new " + std::string(slot.caption)));
    files().failOn(FileOp::CopyDestination, "logow.new");
    user().answers = {Answer::Yes, Answer::Yes, Answer::Retry, Answer::Cancel};
    store().restoreOriginals();

    EXPECT_EQ(read(installed(Slot::Wait)), logo("new Wait"));
    EXPECT_EQ(read(installed(Slot::StartUp)), oldLogo(Slot::StartUp));
    EXPECT_EQ(read(backup(Slot::StartUp)), logo("new Start Up"));
    EXPECT_EQ(read(installed(Slot::ShutDown)), oldLogo(Slot::ShutDown));
    EXPECT_EQ(user().messages.back().style, MessageStyle::OkExclamation);
    EXPECT_NE(user().messages.back().text.find("C:\\WINDOWS\\logow.sys"), std::string::npos);
    EXPECT_NE(user().status().find("Not restored: C:\\WINDOWS\\logow.sys."), std::string::npos);

    // A logo that is not there has nothing to lose: its slot is reset.
    std::filesystem::remove(installed(Slot::Wait));
    files().clearFaults();
    user().answers = {Answer::Yes, Answer::Yes, Answer::Cancel};
    store().restoreOriginals();
    EXPECT_EQ(read(installed(Slot::Wait)), oldLogo(Slot::Wait));
    EXPECT_EQ(user().status(), "All original logos have been successfully restored.");
}

}  // namespace
}  // namespace quenlark
