#include "windows_directory.h"

#include <gtest/gtest.h>

#include "temp_drive.h"

namespace quenlark {
namespace {

namespace fs = std::filesystem;
using testing::TempDrive;

TEST(WindowsDirectory, AnswersInWindowsFormSpelledAsOnDisk) {
    TempDrive drive;
    HostInstallation installation{drive.windows(), 'd'};
    HostWindowsDirectory query(installation.driveMap(), installation.windowsFolder);
    EXPECT_EQ(query.query(), "D:\\WINDOWS");
    EXPECT_EQ(installation.notice(), "Drive D: is " + drive.root().string() + ".");
}

TEST(WindowsDirectory, FailsWhenMissingOrTooLongForTheBuffer) {
    TempDrive drive;
    HostWindowsDirectory missing(drive.installation().driveMap(), drive.root() / "WIN98");
    EXPECT_EQ(missing.query(), std::nullopt);

    // "C:\" and the folder: 254 characters fit the buffer with its NUL, 255 do not.
    fs::path fits = drive.root() / std::string(251, 'w');
    fs::path tooLong = drive.root() / std::string(252, 'w');
    ASSERT_TRUE(fs::create_directory(fits) && fs::create_directory(tooLong));
    HostInstallation fitting{fits, 'C'};
    HostInstallation overlong{tooLong, 'C'};
    EXPECT_EQ(HostWindowsDirectory(fitting.driveMap(), fits).query()->size(), 254u);
    EXPECT_EQ(HostWindowsDirectory(overlong.driveMap(), tooLong).query(), std::nullopt);
}

}  // namespace
}  // namespace quenlark
