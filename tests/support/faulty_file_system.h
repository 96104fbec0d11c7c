#pragma once

#include <string>
#include <vector>

#include "file_system.h"

namespace quenlark::testing {

enum class FileOp {
    CopySource,       // the source of a copy cannot be read (missing, locked)
    CopyDestination,  // the destination cannot be written (disk full, write-protected, locked)
    Delete,
    Length,
    CreateFolder,
    Write,  // writeLine and writeEmptyFile
    Read,   // readFirstLine and readFile
    SetCurrentDirectory,
};

// The real file system with faults injected where real files cannot make them
// (the tests run as root, so write protection does not hold). A failing
// operation changes nothing, as the host file system promises.
class FaultyFileSystem : public FileSystem {
  public:
    explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

    // The next `times` operations `op` on a path that contains `fragment`
    // (ignoring letter case) fail; a negative count fails them all.
    void failOn(FileOp op, std::string fragment, int times = -1);
    void clearFaults() { faults_.clear(); }

    bool copyFile(const std::string& from, const std::string& to) override;
    bool fileExists(const std::string& path) override { return inner_.fileExists(path); }
    bool deleteFile(const std::string& path) override;
    std::optional<std::uint64_t> fileLength(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    bool writeLine(const std::string& path, const std::string& line) override;
    bool writeEmptyFile(const std::string& path) override;
    std::optional<std::string> readFirstLine(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path, std::uint64_t maxBytes) override;
    std::string currentDirectory() override { return inner_.currentDirectory(); }
    bool setCurrentDirectory(const std::string& path) override;

  private:
    struct Fault {
        FileOp op;
        std::string fragment;
        int remaining;
    };
    bool fails(FileOp op, const std::string& path);

    FileSystem& inner_;
    std::vector<Fault> faults_;
};

}  // namespace quenlark::testing
