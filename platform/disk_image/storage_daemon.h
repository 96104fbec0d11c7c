#pragma once

#include <sys/types.h>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "qemu_node.h"
#include "tool_runner.h"

namespace quenlark {

// What qemu-storage-daemon shows as one plain file through a FUSE export.
struct ExportRequest {
    std::filesystem::path image;
    std::string format;  // as qemu names it; never probed
    bool writable = false;
    // Only these bytes of the disk (a partition), else the whole disk.
    std::optional<std::uint64_t> offset;
    std::optional<std::uint64_t> size;
    // The inspected files the image rests on, read-only; none when empty.
    ImageChain backing = {};
};

// A running qemu-storage-daemon, started by this process, that exports an
// image as a plain file in `folder` (which also holds its log).
// A read-only export shares the image with writers: it takes no lock, so it
// must be started anew to see what they wrote.
class StorageDaemon {
  public:
    // The daemon once its export is mounted, or the sentence why it is not.
    static std::variant<std::unique_ptr<StorageDaemon>, std::string> start(
        const ToolEnvironment& environment, const std::filesystem::path& folder,
        const ExportRequest& request);
    ~StorageDaemon();
    StorageDaemon(const StorageDaemon&) = delete;
    StorageDaemon& operator=(const StorageDaemon&) = delete;

    const std::filesystem::path& exportFile() const { return exportFile_; }
    pid_t pid() const { return pid_; }

    // Ends the daemon: true when it flushed, unmounted and exited cleanly.
    bool stop();

  private:
    StorageDaemon(const ToolEnvironment& environment, std::filesystem::path folder, pid_t pid);

    const ToolEnvironment& environment_;
    std::filesystem::path folder_;
    std::filesystem::path exportFile_;
    pid_t pid_;
    bool running_ = true;
};

// Ends what a killed run left in `folder`: its daemon and the tools that work
// through its export (see leftover_tools.h), then its FUSE mount, live or
// dead. Safe to call on a folder where nothing runs.
void cleanUpStaleExport(const ToolEnvironment& environment, const std::filesystem::path& folder);

}  // namespace quenlark
