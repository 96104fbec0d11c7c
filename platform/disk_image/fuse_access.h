#pragma once

#include <optional>
#include <string>

namespace quenlark {

// Why this process cannot use FUSE ("/dev/fuse: Permission denied"), or
// nothing when it can. qemu-storage-daemon needs it for every export; a user
// outside the group that may open /dev/fuse, or a container without the
// device, finds out here, before a daemon is started and fails with the
// reason only in its log.
std::optional<std::string> whyFuseIsUnusable();

// The sentence for the user: what needs FUSE and why it cannot be had.
// "Disk images in VHD, VDI, qcow2 and VMDK format, and any change to a disk
// image, need FUSE, which this user cannot use: /dev/fuse: Permission denied."
std::string noFuseSentence(const std::string& why);

}  // namespace quenlark
