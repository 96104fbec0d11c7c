#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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

// How one numbered call fails (failCall). The first three change nothing, as
// the host file system promises for a refused operation; the last two are
// made for real inside the platform, to prove that it keeps that promise.
enum class FaultKind {
    SourceUnreadable,       // the source of a copy, or a file or folder read, cannot be read
    DestinationUnwritable,  // the destination of a copy, a write or a new folder cannot be written
    DeleteRefused,
    DiskFull,       // writing stops half-way: a file size limit, with SIGXFSZ ignored
    RenameRefused,  // the finished temporary file cannot be moved over the destination
};
std::string_view faultKindName(FaultKind kind);

// While one lives, no file can grow past `limit` bytes: a write beyond fails
// with EFBIG (SIGXFSZ ignored) after writing what fits, as on a full disk.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::uint64_t limit);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    std::uint64_t savedLimit_;
    void (*savedHandler_)(int);
};

// While one lives, the platform cannot move a finished temporary file over
// its destination.
class RenameRefusal {
  public:
    RenameRefusal();
    ~RenameRefusal();
    RenameRefusal(const RenameRefusal&) = delete;
    RenameRefusal& operator=(const RenameRefusal&) = delete;

  private:
    int (*saved_)(const char*, const char*);
};

// One call of the file system, as the faulty file system saw it.
struct FileCall {
    enum Op {
        Copy,
        Exists,
        Delete,
        Length,
        CreateFolder,
        WriteLine,
        WriteEmpty,
        ReadFirstLine,
        ReadFile,
        CurrentDirectory,
        SetCurrentDirectory,
    };
    FileCall(Op op, std::string path, std::string to = {}, std::uint64_t size = 0)
        : op(op), path(std::move(path)), to(std::move(to)), size(size) {}
    Op op;
    std::string path;
    std::string to;      // a copy's destination
    std::uint64_t size;  // bytes a copy or a write would write
    std::string text() const;
};

// The kinds of fault that can make a call fail; none for a call that cannot.
std::vector<FaultKind> faultKindsFor(const FileCall& call);

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
    // Changes to paths that contain `fragment` are known to be impossible
    // (whyCannotChange gives `why`), as on a read-only disk; the changes
    // themselves fail too.
    void refuseChanges(std::string fragment, std::string why);

    // Numbered calls: every call is counted (from 1) and kept. The call
    // `number` fails with `kind`; when `sticky`, so does every later call of
    // the same operation on the same paths, so that a Retry meets it again.
    void failCall(int number, FaultKind kind, bool sticky = false);
    // Forgets the calls so far and the numbered fault.
    void resetCalls();
    const std::vector<FileCall>& calls() const { return calls_; }
    // Calls that were to fail and succeeded all the same (a size limit above
    // what the call wrote).
    int missedFaults() const { return missedFaults_; }
    // Whether the last call met the numbered fault, so that a harness can
    // tell the prompt that follows from one that a real failure brought.
    bool lastCallFaulted() const { return lastCallFaulted_; }
    // Calls that met the numbered fault since the last reset.
    int faultsMet() const { return faultsMet_; }

    bool copyFile(const std::string& from, const std::string& to) override;
    bool fileExists(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    std::optional<std::uint64_t> fileLength(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    bool writeLine(const std::string& path, const std::string& line) override;
    bool writeEmptyFile(const std::string& path) override;
    std::optional<std::string> readFirstLine(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path, std::uint64_t maxBytes) override;
    std::string currentDirectory() override;
    bool setCurrentDirectory(const std::string& path) override;
    std::string lastFailure() const override;
    std::optional<std::string> whyCannotChange(const std::string& path) override;

  private:
    struct Fault {
        FileOp op;
        std::string fragment;
        int remaining;
    };
    bool fails(FileOp op, const std::string& path);
    // Counts the call; the fault it meets, if any.
    std::optional<FaultKind> numbered(FileCall call);
    // Runs the inner operation under a real fault, when `kind` is one.
    bool underRealFault(std::optional<FaultKind> kind, std::uint64_t size,
                        const std::function<bool()>& operation);

    FileSystem& inner_;
    std::vector<Fault> faults_;
    std::vector<std::pair<std::string, std::string>> refusedChanges_;
    std::vector<FileCall> calls_;
    int faultNumber_ = 0;
    FaultKind faultKind_ = FaultKind::SourceUnreadable;
    bool sticky_ = false;
    std::optional<FileCall> stickyCall_;
    int missedFaults_ = 0;
    bool lastCallFaulted_ = false;
    int faultsMet_ = 0;
};

}  // namespace quenlark::testing
