#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quenlark {

// The file system as a Windows 9x program sees it: Windows paths (absolute, or
// relative to the one current directory), names compared without regard to
// letter case. Every operation reports failure by its result; none throws.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Copies the whole file `from` to `to`, replacing a file that is there.
    // Fails when `from` cannot be read or `to` cannot be written; a failed copy
    // leaves `to` exactly as it was.
    virtual bool copyFile(const std::string& from, const std::string& to) = 0;

    // True for an ordinary file only: a folder of that name is not found.
    virtual bool fileExists(const std::string& path) = 0;

    virtual bool deleteFile(const std::string& path) = 0;

    // The length in bytes of an ordinary file.
    virtual std::optional<std::uint64_t> fileLength(const std::string& path) = 0;

    // Creates one folder; fails when it exists already or its parent does not.
    virtual bool createFolder(const std::string& path) = 0;

    // Replaces the file's content with `line` and CR LF.
    virtual bool writeLine(const std::string& path, const std::string& line) = 0;

    // Creates the file empty, or cuts an existing one to nothing.
    virtual bool writeEmptyFile(const std::string& path) = 0;

    // The file's first line without its ending (CR LF, LF or CR). An empty file
    // has no first line.
    virtual std::optional<std::string> readFirstLine(const std::string& path) = 0;

    // The whole content of an ordinary file of at most `maxBytes` bytes.
    virtual std::optional<std::string> readFile(const std::string& path,
                                                std::uint64_t maxBytes) = 0;

    // The current directory, an absolute Windows path.
    virtual std::string currentDirectory() = 0;

    // Fails, changing nothing, when the folder does not exist.
    virtual bool setCurrentDirectory(const std::string& path) = 0;

    // Why the last operation failed, as a sentence for the user that names
    // the file and the reason (permission denied, a read-only file system, no
    // space, a disk image that an emulator holds); empty where the file
    // system knows no more than its result tells.
    virtual std::string lastFailure() const { return {}; }

    // Why the file at `path` cannot be created, replaced or deleted whatever
    // is tried, as a sentence for the user: a folder this user may not write,
    // a read-only file system or disk image, a link that leads off its drive.
    // Nothing when a change may work (it can still fail: a full disk). Asked
    // before a change begins, so that nothing is copied for one that cannot
    // be made.
    virtual std::optional<std::string> whyCannotChange(const std::string& path) {
        (void)path;
        return std::nullopt;
    }
};

}  // namespace quenlark
