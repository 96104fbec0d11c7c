#include "change_journal.h"

#include <fcntl.h>
#include <unistd.h>
#include <fstream>
#include <sstream>
#include <system_error>

#include "atomic_file.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader = "quenlark commit 1";
constexpr std::string_view kEnd = "end";

}  // namespace

bool flushToDisk(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    return flushed;
}

bool writeCommitRecord(const fs::path& journal, const CommitRecord& record) {
    std::ostringstream text;
    text << kHeader << '\n'
         << record.image.string() << '\n'
         << record.format << '\n'
         << record.overlay.string() << '\n'
         << kEnd << '\n';
    return writeFileAtomically(journal, text.str()) && flushToDisk(journal.parent_path());
}

std::optional<CommitRecord> readCommitRecord(const fs::path& journal) {
    std::ifstream in(journal, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string header, image, format, overlay, end;
    if (!std::getline(in, header) || !std::getline(in, image) || !std::getline(in, format) ||
        !std::getline(in, overlay) || !std::getline(in, end) || header != kHeader || end != kEnd)
        return std::nullopt;
    return CommitRecord{image, format, overlay};
}

bool removeCommitRecord(const fs::path& journal) {
    std::error_code ec;
    fs::remove(journal, ec);
    return !ec && flushToDisk(journal.parent_path());
}

}  // namespace quenlark
