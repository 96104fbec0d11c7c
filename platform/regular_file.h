#pragma once

#include <sys/types.h>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quenlark {

// A host file opened for reading, only when it is a regular file. A FIFO, a
// socket or a device is refused without waiting for it: the file is looked at
// first, opened without blocking, and looked at again through the open
// descriptor, so that nothing put in its place meanwhile is read either.
class ReadableFile {
  public:
    explicit ReadableFile(const std::filesystem::path& path);
    ~ReadableFile();
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    bool valid() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    std::uint64_t size() const { return size_; }
    // Why it is not valid, as a sentence that names the file.
    const std::string& failure() const { return failure_; }

  private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::string failure_;
};

// "a FIFO", "a socket", "a device", "a folder": what a file of that mode is,
// for sentences that refuse it; nothing for a regular file.
std::optional<std::string> notRegularKind(mode_t mode);

// The refusal of a file that is there but is no regular file, or nothing
// when `path` is a regular file or is not there (a link is followed).
std::optional<std::string> whyNotRegular(const std::filesystem::path& path);

// "The file /a/b cannot be read: Permission denied.": `what` ("file",
// "folder"), the host path, what could not be done and the system's reason.
std::string hostFailure(const std::string& what, const std::filesystem::path& path,
                        const std::string& action, int error);

}  // namespace quenlark
