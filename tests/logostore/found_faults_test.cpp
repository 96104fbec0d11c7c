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
    store().swapClicked(Slot::Wait);
    EXPECT_EQ(read(drive.windows() / "quenlark.ini"), "LastUsedDir=C:\\PICS\r\n");
    EXPECT_EQ(read(installed(Slot::Wait)), logo("new"));
}

}  // namespace
}  // namespace quenlark
