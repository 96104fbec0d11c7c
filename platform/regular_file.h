#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quenlark {

// A host file opened for reading, only when it is an ordinary file (see
// openOrdinaryFile): a FIFO, a socket or a device is refused without waiting
// for it.
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

// The refusal of a host file that is there but is no ordinary file, to be
// replaced or read: "The file /a/LOGO.SYS is a named pipe (FIFO), not an
// ordinary file, so Quenlark does not touch it."; nothing for an ordinary
// file or none.
std::optional<std::string> whyNotAnOrdinaryFile(const std::filesystem::path& path);

// "The file /a/b cannot be read (Permission denied).": `what` ("file",
// "folder"), the host path, what could not be done and the system's reason.
std::string hostFailure(const std::string& what, const std::filesystem::path& path,
                        const std::string& action, int error);

}  // namespace quenlark
