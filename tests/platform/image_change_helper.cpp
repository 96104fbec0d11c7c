// Puts a file into a disk image as the logo store's swap does, and kills
// itself at a named step of the change when asked to: the crash-safety test
// runs it and checks the image afterwards.
//   image_change_helper IMAGE WORKFOLDER SOURCE STEP|-
#include <signal.h>

#include <iostream>

#include "image_file_system.h"

int main(int argc, char** argv) {
    using namespace quenlark;
    if (argc != 5) {
        std::cerr << "usage: image_change_helper IMAGE WORKFOLDER SOURCE STEP|-\n";
        return 2;
    }
    auto opened = DiskImage::open({argv[1], std::nullopt, argv[2]});
    if (auto* why = std::get_if<std::string>(&opened)) {
        std::cerr << *why << "\n";
        return 1;
    }
    auto& disk = *std::get<std::unique_ptr<DiskImage>>(opened);
    const std::string killAt = argv[4];
    disk.setStepObserver([&](std::string_view step) {
        if (step == killAt)
            ::raise(SIGKILL);
    });
    ImageFileSystem files(disk, DriveMap(), "Z:\\");
    if (!files.copyFile(DriveMap().toWindows(argv[3]), "C:\\WINDOWS\\LOGOW.SYS")) {
        std::cerr << files.lastFailure() << "\n";
        return 1;
    }
    return 0;
}
