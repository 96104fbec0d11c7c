#include "fuse_access.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace quenlark {

namespace {

constexpr char kFuseDevice[] = "/dev/fuse";

}  // namespace

std::optional<std::string> whyFuseIsUnusable() {
    // fusermount3 opens the device with the user's own rights, so what this
    // process may open is what a mount may.
    const int fd = ::open(kFuseDevice, O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return std::string(kFuseDevice) + ": " + std::strerror(errno);
    ::close(fd);
    return std::nullopt;
}

std::string noFuseSentence(const std::string& why) {
    return "Disk images in VHD, VDI, qcow2 and VMDK format, and any change to a disk image, need "
           "FUSE, which this user cannot use: " +
           why + ".";
}

}  // namespace quenlark
