#include "faulty_file_system.h"

#include <algorithm>
#include <cctype>

namespace quenlark::testing {

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

}  // namespace

void FaultyFileSystem::failOn(FileOp op, std::string fragment, int times) {
    faults_.push_back({op, lower(std::move(fragment)), times});
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

bool FaultyFileSystem::copyFile(const std::string& from, const std::string& to) {
    if (fails(FileOp::CopySource, from) || fails(FileOp::CopyDestination, to))
        return false;
    return inner_.copyFile(from, to);
}

bool FaultyFileSystem::deleteFile(const std::string& path) {
    return !fails(FileOp::Delete, path) && inner_.deleteFile(path);
}

std::optional<std::uint64_t> FaultyFileSystem::fileLength(const std::string& path) {
    if (fails(FileOp::Length, path))
        return std::nullopt;
    return inner_.fileLength(path);
}

bool FaultyFileSystem::createFolder(const std::string& path) {
    return !fails(FileOp::CreateFolder, path) && inner_.createFolder(path);
}

bool FaultyFileSystem::writeLine(const std::string& path, const std::string& line) {
    return !fails(FileOp::Write, path) && inner_.writeLine(path, line);
}

bool FaultyFileSystem::writeEmptyFile(const std::string& path) {
    return !fails(FileOp::Write, path) && inner_.writeEmptyFile(path);
}

std::optional<std::string> FaultyFileSystem::readFirstLine(const std::string& path) {
    if (fails(FileOp::Read, path))
        return std::nullopt;
    return inner_.readFirstLine(path);
}

std::optional<std::string> FaultyFileSystem::readFile(const std::string& path,
                                                      std::uint64_t maxBytes) {
    if (fails(FileOp::Read, path))
        return std::nullopt;
    return inner_.readFile(path, maxBytes);
}

bool FaultyFileSystem::setCurrentDirectory(const std::string& path) {
    return !fails(FileOp::SetCurrentDirectory, path) && inner_.setCurrentDirectory(path);
}

}  // namespace quenlark::testing
