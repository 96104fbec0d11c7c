#include "mount_table.h"

#include <libmount.h>

#include <system_error>

namespace quenlark {

namespace fs = std::filesystem;

bool isMountPoint(const fs::path& mountPoint) {
    // The table holds the path as the kernel resolved it; the mount point
    // itself cannot be resolved when its export is dead, its folder can.
    std::error_code ec;
    const fs::path folder = fs::canonical(mountPoint.parent_path(), ec);
    if (ec)
        return false;
    const std::string target = (folder / mountPoint.filename()).string();
    libmnt_table* table = mnt_new_table_from_file("/proc/self/mountinfo");
    if (!table)
        return false;
    const bool mounted = mnt_table_find_target(table, target.c_str(), MNT_ITER_BACKWARD) != nullptr;
    mnt_unref_table(table);
    return mounted;
}

}  // namespace quenlark
