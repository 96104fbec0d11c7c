#include "temp_drive.h"

#include <unistd.h>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace quenlark::testing {

namespace fs = std::filesystem;

TempDrive::TempDrive(const fs::path& parent) {
    std::string pattern = (parent / "quenlark-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data()))
        throw std::runtime_error("mkdtemp failed");
    base_ = buffer.data();
    root_ = base_ / "drive_c";
    fs::create_directories(windows());
    fs::create_directories(tools());
}

TempDrive::~TempDrive() {
    std::error_code ec;
    fs::permissions(base_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(base_, ec);
}

void TempDrive::put(const fs::path& path, std::string_view content) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string TempDrive::read(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return "<missing>";
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

fs::path fastTemporaryFolder() {
    const fs::path memory = "/dev/shm";
    std::error_code ec;
    if (fs::is_directory(memory, ec) && ::access(memory.c_str(), W_OK) == 0)
        return memory;
    return fs::temp_directory_path();
}

std::string logoBytes(std::string_view tag, std::size_t size) {
    std::string bytes = "BM" + std::string(tag);
    bytes.resize(size, '.');
    return bytes;
}

}  // namespace quenlark::testing
