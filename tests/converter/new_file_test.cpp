#include "new_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <csignal>

#include "converter.h"
#include "test_pictures.h"

namespace quenlark::converter {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

bool says(const Result<Done>& result, const std::string& words) {
    return !result && result.error().find(words) != std::string::npos;
}

TEST(NewFile, WritesTheWholeContentAndNothingElse) {
    TempFolder folder;
    const std::string content(129078, 'x');
    ASSERT_TRUE(writeNewFile(folder / "logo.sys", content, ExistingFile::Keep));
    EXPECT_EQ(readBytes(folder / "logo.sys"), content);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"logo.sys"});
}

TEST(NewFile, LeavesAnExistingFileAloneUnlessToldToReplaceIt) {
    TempFolder folder;
    writeBytes(folder / "logo.sys", "old");
    const auto kept = writeNewFile(folder / "logo.sys", "new", ExistingFile::Keep);
    EXPECT_TRUE(says(kept, "already exists")) << kept.error();
    EXPECT_EQ(readBytes(folder / "logo.sys"), "old");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"logo.sys"});

    ASSERT_TRUE(writeNewFile(folder / "logo.sys", "new", ExistingFile::Replace));
    EXPECT_EQ(readBytes(folder / "logo.sys"), "new");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"logo.sys"});
}

TEST(NewFile, RefusesAFolderInTheWay) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "logo.sys");
    for (ExistingFile existing : {ExistingFile::Keep, ExistingFile::Replace}) {
        const auto result = writeNewFile(folder / "logo.sys", "new", existing);
        EXPECT_TRUE(says(result, "is a folder")) << result.error();
    }
    EXPECT_EQ(folder.names(), std::vector<std::string>{"logo.sys"});
}

TEST(NewFile, RefusesAMissingFolder) {
    TempFolder folder;
    const auto result =
        writeNewFile(folder / "no such folder" / "logo.sys", "x", ExistingFile::Keep);
    EXPECT_TRUE(says(result, "cannot be written: No such file or directory")) << result.error();
    EXPECT_TRUE(folder.names().empty());
}

TEST(NewFile, RefusesAFileWhereTheFolderShouldBe) {
    TempFolder folder;
    writeBytes(folder / "plain", "x");
    const auto result = writeNewFile(folder / "plain" / "logo.sys", "x", ExistingFile::Replace);
    EXPECT_TRUE(says(result, "cannot be written: Not a directory")) << result.error();
}

// The process may write no more than a few bytes to any file, as on a full
// disk: the write fails halfway and must leave nothing of itself behind.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST(NewFile, AWriteThatFailsHalfwayLeavesNoTrace) {
    TempFolder folder;
    writeBytes(folder / "logo.sys", "old");
    Result<Done> replaced = Result<Done>::failure("not run");
    Result<Done> created = Result<Done>::failure("not run");
    {
        FileSizeLimit limit(1000);
        replaced =
            writeNewFile(folder / "logo.sys", std::string(129078, 'x'), ExistingFile::Replace);
        created = writeNewFile(folder / "other.sys", std::string(129078, 'x'), ExistingFile::Keep);
    }
    EXPECT_TRUE(says(replaced, "cannot be written: File too large")) << replaced.error();
    EXPECT_TRUE(says(created, "cannot be written")) << created.error();
    EXPECT_EQ(readBytes(folder / "logo.sys"), "old");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"logo.sys"});
}

TEST(ConvertFile, WritesALogoOfTheAcceptedSize) {
    TempFolder folder;
    const QImage picture = testing::gradientPicture(300, 200);
    ASSERT_TRUE(picture.save(QString::fromStdString((folder / "in.png").string())));
    const auto done = convertFile(QString::fromStdString((folder / "in.png").string()),
                                  folder / "logo.sys", {}, ExistingFile::Keep);
    ASSERT_TRUE(done) << done.error();
    EXPECT_EQ(std::filesystem::file_size(folder / "logo.sys"), 129078u);
}

TEST(ConvertFile, WritesNothingWhenThePictureIsRefused) {
    TempFolder folder;
    writeBytes(folder / "in.png", "not a picture");
    const auto done = convertFile(QString::fromStdString((folder / "in.png").string()),
                                  folder / "logo.sys", {}, ExistingFile::Keep);
    EXPECT_TRUE(says(done, "is not a picture")) << done.error();
    EXPECT_EQ(folder.names(), std::vector<std::string>{"in.png"});
}

TEST(ConvertFile, RefusesAnExistingLogoBeforeReadingThePicture) {
    TempFolder folder;
    writeBytes(folder / "logo.sys", "old");
    // The picture does not even exist: the refusal comes first.
    const auto done = convertFile(QString::fromStdString((folder / "missing.png").string()),
                                  folder / "logo.sys", {}, ExistingFile::Keep);
    EXPECT_TRUE(says(done, "already exists")) << done.error();
    EXPECT_EQ(readBytes(folder / "logo.sys"), "old");
}

TEST(ConvertFile, RefusesBadOptionsFirst) {
    TempFolder folder;
    ConvertOptions options;
    options.bandFirst = 255;
    const auto done = convertFile(QString::fromStdString((folder / "missing.png").string()),
                                  folder / "logo.sys", options, ExistingFile::Keep);
    EXPECT_TRUE(says(done, "palette entry from 2 to 254")) << done.error();
}

}  // namespace
}  // namespace quenlark::converter
