#include "faulty_file_system.h"

#include <sys/resource.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>

#include "atomic_file.h"

namespace quenlark::testing {

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

int refuseRename(const char*, const char*) {
    errno = EACCES;
    return -1;
}

}  // namespace

std::string_view faultKindName(FaultKind kind) {
    switch (kind) {
        case FaultKind::SourceUnreadable:
            return "source unreadable";
        case FaultKind::DestinationUnwritable:
            return "destination unwritable";
        case FaultKind::DeleteRefused:
            return "delete refused";
        case FaultKind::DiskFull:
            return "disk full";
        case FaultKind::RenameRefused:
            return "rename refused";
    }
    return "?";
}

FileSizeLimit::FileSizeLimit(std::uint64_t limit) : savedHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
    rlimit current{};
    ::getrlimit(RLIMIT_FSIZE, &current);
    savedLimit_ = current.rlim_cur;
    current.rlim_cur = std::min<rlim_t>(limit, current.rlim_max);
    ::setrlimit(RLIMIT_FSIZE, &current);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit current{};
    ::getrlimit(RLIMIT_FSIZE, &current);
    current.rlim_cur = savedLimit_;
    ::setrlimit(RLIMIT_FSIZE, &current);
    std::signal(SIGXFSZ, savedHandler_);
}

RenameRefusal::RenameRefusal() : saved_(replaceRenameFunction(&refuseRename)) {}
RenameRefusal::~RenameRefusal() {
    replaceRenameFunction(saved_);
}

std::string FileCall::text() const {
    static const char* const names[] = {"copyFile",         "fileExists",         "deleteFile",
                                        "fileLength",       "createFolder",       "writeLine",
                                        "writeEmptyFile",   "readFirstLine",      "readFile",
                                        "currentDirectory", "setCurrentDirectory"};
    std::string out = std::string(names[op]) + " " + path;
    if (!to.empty())
        out += " -> " + to;
    return out;
}

std::vector<FaultKind> faultKindsFor(const FileCall& call) {
    using K = FaultKind;
    std::vector<FaultKind> kinds;
    switch (call.op) {
        case FileCall::Copy:
            kinds = {K::SourceUnreadable, K::DestinationUnwritable, K::RenameRefused};
            break;
        case FileCall::WriteLine:
        case FileCall::WriteEmpty:
            kinds = {K::DestinationUnwritable, K::RenameRefused};
            break;
        case FileCall::Delete:
            return {K::DeleteRefused};
        case FileCall::CreateFolder:
            return {K::DestinationUnwritable};
        case FileCall::Length:
        case FileCall::ReadFirstLine:
        case FileCall::ReadFile:
        case FileCall::SetCurrentDirectory:
            return {K::SourceUnreadable};
        case FileCall::Exists:
        case FileCall::CurrentDirectory:
            return {};
    }
    // Half of a single byte is nothing: the limit would stop no write.
    if (call.size >= 2)
        kinds.push_back(K::DiskFull);
    return kinds;
}

void FaultyFileSystem::failCall(int number, FaultKind kind, bool sticky) {
    faultNumber_ = number;
    faultKind_ = kind;
    sticky_ = sticky;
    stickyCall_.reset();
}

void FaultyFileSystem::resetCalls() {
    calls_.clear();
    lastCallFaulted_ = false;
    faultsMet_ = 0;
    faultNumber_ = 0;
    stickyCall_.reset();
    missedFaults_ = 0;
}

std::optional<FaultKind> FaultyFileSystem::numbered(FileCall call) {
    calls_.push_back(call);
    lastCallFaulted_ = false;
    std::optional<FaultKind> kind;
    if (static_cast<int>(calls_.size()) == faultNumber_) {
        kind = faultKind_;
        if (sticky_)
            stickyCall_ = call;
    } else if (stickyCall_ && stickyCall_->op == call.op && stickyCall_->path == call.path &&
               stickyCall_->to == call.to) {
        kind = faultKind_;
    }
    if (!kind)
        return kind;
    const auto kinds = faultKindsFor(call);
    if (std::find(kinds.begin(), kinds.end(), *kind) == kinds.end()) {
        ++missedFaults_;  // this call cannot fail that way
        return std::nullopt;
    }
    lastCallFaulted_ = true;
    ++faultsMet_;
    return kind;
}

bool FaultyFileSystem::underRealFault(std::optional<FaultKind> kind, std::uint64_t size,
                                      const std::function<bool()>& operation) {
    bool done;
    if (kind == FaultKind::DiskFull) {
        FileSizeLimit full(size / 2);
        done = operation();
    } else if (kind == FaultKind::RenameRefused) {
        RenameRefusal refusal;
        done = operation();
    } else {
        return operation();
    }
    if (done)
        ++missedFaults_;
    return done;
}

void FaultyFileSystem::failOn(FileOp op, std::string fragment, int times) {
    faults_.push_back({op, lower(std::move(fragment)), times});
}

void FaultyFileSystem::refuseChanges(std::string fragment, std::string why) {
    for (FileOp op : {FileOp::CopyDestination, FileOp::Delete, FileOp::CreateFolder, FileOp::Write})
        failOn(op, fragment);
    refusedChanges_.emplace_back(lower(std::move(fragment)), std::move(why));
}

std::string FaultyFileSystem::lastFailure() const {
    return inner_.lastFailure();
}

std::optional<std::string> FaultyFileSystem::whyCannotChange(const std::string& path) {
    for (const auto& [fragment, why] : refusedChanges_)
        if (lower(path).find(fragment) != std::string::npos)
            return why;
    return inner_.whyCannotChange(path);
}

bool FaultyFileSystem::fails(FileOp op, const std::string& path) {
    for (auto& fault : faults_) {
        if (fault.op != op || fault.remaining == 0)
            continue;
        if (lower(path).find(fault.fragment) == std::string::npos)
            continue;
        if (fault.remaining > 0)
            --fault.remaining;
        return true;
    }
    return false;
}

// A numbered fault of the first three kinds refuses the call before it
// reaches the inner file system; the others are made inside it.
bool FaultyFileSystem::copyFile(const std::string& from, const std::string& to) {
    const std::uint64_t size = inner_.fileLength(from).value_or(0);
    const auto fault = numbered({FileCall::Copy, from, to, size});
    if (fault == FaultKind::SourceUnreadable || fault == FaultKind::DestinationUnwritable)
        return false;
    if (fails(FileOp::CopySource, from) || fails(FileOp::CopyDestination, to))
        return false;
    return underRealFault(fault, size, [&] { return inner_.copyFile(from, to); });
}

bool FaultyFileSystem::fileExists(const std::string& path) {
    numbered({FileCall::Exists, path});
    return inner_.fileExists(path);
}

bool FaultyFileSystem::deleteFile(const std::string& path) {
    if (numbered({FileCall::Delete, path}))
        return false;
    return !fails(FileOp::Delete, path) && inner_.deleteFile(path);
}

std::optional<std::uint64_t> FaultyFileSystem::fileLength(const std::string& path) {
    if (numbered({FileCall::Length, path}) || fails(FileOp::Length, path))
        return std::nullopt;
    return inner_.fileLength(path);
}

bool FaultyFileSystem::createFolder(const std::string& path) {
    if (numbered({FileCall::CreateFolder, path}))
        return false;
    return !fails(FileOp::CreateFolder, path) && inner_.createFolder(path);
}

bool FaultyFileSystem::writeLine(const std::string& path, const std::string& line) {
    const std::uint64_t size = line.size() + 2;
    const auto fault = numbered({FileCall::WriteLine, path, {}, size});
    if (fault == FaultKind::DestinationUnwritable || fails(FileOp::Write, path))
        return false;
    return underRealFault(fault, size, [&] { return inner_.writeLine(path, line); });
}

bool FaultyFileSystem::writeEmptyFile(const std::string& path) {
    const auto fault = numbered({FileCall::WriteEmpty, path});
    if (fault == FaultKind::DestinationUnwritable || fails(FileOp::Write, path))
        return false;
    return underRealFault(fault, 0, [&] { return inner_.writeEmptyFile(path); });
}

std::optional<std::string> FaultyFileSystem::readFirstLine(const std::string& path) {
    if (numbered({FileCall::ReadFirstLine, path}) || fails(FileOp::Read, path))
        return std::nullopt;
    return inner_.readFirstLine(path);
}

std::optional<std::string> FaultyFileSystem::readFile(const std::string& path,
                                                      std::uint64_t maxBytes) {
    if (numbered({FileCall::ReadFile, path}) || fails(FileOp::Read, path))
        return std::nullopt;
    return inner_.readFile(path, maxBytes);
}

std::string FaultyFileSystem::currentDirectory() {
    numbered({FileCall::CurrentDirectory, {}});
    return inner_.currentDirectory();
}

bool FaultyFileSystem::setCurrentDirectory(const std::string& path) {
    if (numbered({FileCall::SetCurrentDirectory, path}))
        return false;
    return !fails(FileOp::SetCurrentDirectory, path) && inner_.setCurrentDirectory(path);
}

}  // namespace quenlark::testing
