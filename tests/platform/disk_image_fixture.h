#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "disk_image.h"
#include "fuse_access.h"
#include "image_file_system.h"
#include "image_maker.h"
#include "temp_drive.h"

// Skips the test, with the reason, where this user cannot use FUSE: every
// change to an image needs it, and every image not in raw or fixed VHD format.
#define SKIP_WITHOUT_FUSE()                                  \
    if (const auto noFuse = ::quenlark::whyFuseIsUnusable()) \
    GTEST_SKIP() << ::quenlark::noFuseSentence(*noFuse)

namespace quenlark::testing {

// Images made in a temporary folder beside a host drive whose TOOLS folder
// the program starts from, so that BACKUP and ORIGINAL stay on the host.
class DiskImageTest : public ::testing::Test {
  protected:
    DiskImageTest() : maker(drive.root().parent_path() / "images") {}

    // Logos as Windows 98 has them, and the folder that says it is Windows.
    static ImageRecipe windowsRecipe(int fatBits = 16,
                                     PartitionLayout layout = PartitionLayout::Primary) {
        ImageRecipe recipe;
        recipe.fatBits = fatBits;
        recipe.layout = layout;
        recipe.files = {{"LOGO.SYS", logoBytes("old start")},
                        {"WINDOWS/LOGOW.SYS", logoBytes("old wait")},
                        {"WINDOWS/LOGOS.SYS", logoBytes("old shut")},
                        {"WINDOWS/WIN.COM", "MZ"}};
        return recipe;
    }

    std::filesystem::path workFolder() const { return drive.root().parent_path() / "work"; }

    // Opens the image, failing the test with the refusal when it is refused.
    std::unique_ptr<DiskImage> open(const MadeImage& image, std::optional<int> partition = {}) {
        auto opened = DiskImage::open({image.file, partition, workFolder()});
        if (auto* why = std::get_if<std::string>(&opened)) {
            ADD_FAILURE() << "refused: " << *why;
            return nullptr;
        }
        return std::move(std::get<std::unique_ptr<DiskImage>>(opened));
    }

    // The sentence an image is refused with, or "opened".
    std::string refusal(const std::filesystem::path& image, std::optional<int> partition = {}) {
        auto opened = DiskImage::open({image, partition, workFolder()});
        if (auto* why = std::get_if<std::string>(&opened))
            return *why;
        return "opened";
    }

    // The Windows form of a host path: Z: is the host's root.
    static std::string onHost(const std::filesystem::path& path) {
        return DriveMap().toWindows(path);
    }

    TempDrive drive;
    ImageMaker maker;
};

// A folder of programs that stands for PATH while it lives: the disk tools,
// some missing, some replaced by scripts that misbehave.
class ToolFolder {
  public:
    explicit ToolFolder(const std::filesystem::path& folder)
        : folder_(folder), path_(::getenv("PATH")) {
        std::filesystem::create_directories(folder_);
        for (const char* tool : {"mdir", "mcopy", "mattrib", "mdel", "mmove", "mmd", "qemu-img",
                                 "qemu-storage-daemon", "fusermount3", "setpriv"})
            std::filesystem::create_symlink(std::filesystem::path("/usr/bin") / tool,
                                            folder_ / tool);
        std::filesystem::create_symlink("/usr/sbin/fsck.fat", folder_ / "fsck.fat");
        ::setenv("PATH", folder_.c_str(), 1);
    }
    ~ToolFolder() { ::setenv("PATH", path_.c_str(), 1); }
    void remove(const std::string& tool) { std::filesystem::remove(folder_ / tool); }
    void replace(const std::string& tool, const std::string& script) {
        remove(tool);
        TempDrive::put(folder_ / tool, "#!/bin/sh\n" + script + "\n");
        std::filesystem::permissions(folder_ / tool, std::filesystem::perms::owner_all);
    }

  private:
    std::filesystem::path folder_;
    std::string path_;
};

// A file's content in short: a stand-in logo by its tag and length.
inline std::string brief(const std::optional<std::string>& content) {
    if (!content)
        return "<missing>";
    if (content->rfind("BM", 0) != 0 || content->size() < 1000)
        return *content;
    return content->substr(0, content->find('.', 2)) + " [" + std::to_string(content->size()) +
           " bytes]";
}

// Whether `text` contains `part`, shown in full when it does not.
inline ::testing::AssertionResult mentions(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << '"' << text << "\" does not mention \"" << part << '"';
}

}  // namespace quenlark::testing
