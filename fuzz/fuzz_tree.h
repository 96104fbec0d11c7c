#pragma once

// A temporary folder that a fuzz target makes once, at its first input, and
// removes when the run ends. Every input then works on the same files, so
// that one execution costs a few system calls, not a tree to set up.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace quenlark::fuzz {

// Stops the run with a libFuzzer crash report (the input is saved) when a
// property does not hold.
#define FUZZ_REQUIRE(condition)                                                                   \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)

class TempTree {
  public:
    TempTree() {
        // Memory where there is some: the atomic writes flush every file.
        std::error_code ec;
        std::filesystem::path parent = "/dev/shm";
        if (!std::filesystem::is_directory(parent, ec) || ::access(parent.c_str(), W_OK) != 0)
            parent = std::filesystem::temp_directory_path();
        std::string pattern = (parent / "quenlark-fuzz-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (!::mkdtemp(buffer.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        base_ = buffer.data();
    }
    ~TempTree() {
        std::error_code ec;
        std::filesystem::remove_all(base_, ec);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& base() const { return base_; }

    // Writes `content` to `path`, creating its folders.
    static void put(const std::filesystem::path& path, std::string_view content) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            std::abort();
        }
    }

  private:
    std::filesystem::path base_;
};

}  // namespace quenlark::fuzz
