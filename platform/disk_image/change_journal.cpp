#include "change_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <fstream>
#include <sstream>
#include <system_error>

#include "atomic_file.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kOldHeader = "quenlark commit 1";
constexpr std::string_view kHeader = "quenlark commit 2";
constexpr std::string_view kEnd = "end";
// The bytes of a commit are those of one logo or settings file and the
// folders and FAT sectors around it: far less than this.
constexpr std::uintmax_t kLargestBytes = 64 * 1024 * 1024;

fs::path bytesFileOf(const fs::path& journal) {
    return journal.string() + ".bytes";
}

}  // namespace

std::string imageFileState(const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0)
        return {};
    std::ostringstream state;
    state << info.st_dev << ' ' << info.st_ino << ' ' << info.st_size << ' ' << info.st_mtim.tv_sec
          << '.' << info.st_mtim.tv_nsec;
    return state.str();
}

bool flushToDisk(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    return flushed;
}

bool writeCommitRecord(const fs::path& journal, const CommitRecord& record) {
    // The bytes first: the record that names them is written only once they
    // are on the disk.
    if (!writeFileAtomically(bytesFileOf(journal), record.before + record.after + record.head))
        return false;
    std::ostringstream text;
    text << kHeader << '\n'
         << record.image.string() << '\n'
         << record.format << '\n'
         << record.overlay.string() << '\n'
         << record.imageState << '\n'
         << record.headOffset << ' ' << record.head.size() << ' ' << record.regions.size() << '\n';
    for (const auto& [offset, length] : record.regions)
        text << offset << ' ' << length << '\n';
    text << kEnd << '\n';
    return writeFileAtomically(journal, text.str()) && flushToDisk(journal.parent_path());
}

std::optional<CommitRecord> readCommitRecord(const fs::path& journal) {
    std::ifstream in(journal, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string header, image, format, overlay;
    if (!std::getline(in, header) || !std::getline(in, image) || !std::getline(in, format) ||
        !std::getline(in, overlay) || (header != kHeader && header != kOldHeader))
        return std::nullopt;
    CommitRecord record;
    record.image = image;
    record.format = format;
    record.overlay = overlay;
    std::string end;
    if (header == kOldHeader)
        return std::getline(in, end) && end == kEnd ? std::optional(record) : std::nullopt;

    std::size_t headSize = 0, count = 0;
    if (!std::getline(in, record.imageState) || !(in >> record.headOffset >> headSize >> count))
        return std::nullopt;
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t offset = 0, length = 0;
        if (!(in >> offset >> length) || (total += length) > kLargestBytes)
            return std::nullopt;
        record.regions.emplace_back(offset, length);
    }
    in.ignore(1);
    if (!std::getline(in, end) || end != kEnd || headSize > kLargestBytes)
        return std::nullopt;
    std::error_code ec;
    if (fs::file_size(bytesFileOf(journal), ec) != 2 * total + headSize || ec)
        return std::nullopt;
    std::ifstream bytes(bytesFileOf(journal), std::ios::binary);
    record.before.resize(total);
    record.after.resize(total);
    record.head.resize(headSize);
    if (!bytes.read(record.before.data(), static_cast<std::streamsize>(total)) ||
        !bytes.read(record.after.data(), static_cast<std::streamsize>(total)) ||
        !bytes.read(record.head.data(), static_cast<std::streamsize>(headSize)))
        return std::nullopt;
    return record;
}

bool removeCommitRecord(const fs::path& journal) {
    std::error_code ec;
    fs::remove(journal, ec);
    if (ec)
        return false;
    fs::remove(bytesFileOf(journal), ec);
    return flushToDisk(journal.parent_path());
}

}  // namespace quenlark
