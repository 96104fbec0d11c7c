#include "picture_reader.h"

#include <gtest/gtest.h>

#include <QFile>

#include "test_pictures.h"

namespace quenlark::converter {
namespace {

using testing::bmpFile;
using testing::BmpHeader;
using testing::encoded;
using testing::gradientPicture;
using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

QByteArray bytesOf(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}
std::string stringOf(const QByteArray& b) {
    return std::string(b.constData(), b.size());
}

// Every way in gives the same answer: from bytes and from a file.
Result<QImage> readBothWays(const std::string& bytes) {
    TempFolder folder;
    writeBytes(folder / "picture", bytes);
    const auto fromFile = readPicture(QString::fromStdString((folder / "picture").string()));
    const auto fromBytes = readPicture(bytesOf(bytes));
    EXPECT_EQ(bool(fromFile), bool(fromBytes));
    return fromFile;
}

TEST(ReadPicture, TakesTheCommonFormats) {
    const QImage picture = gradientPicture(64, 48);
    for (const char* format : {"PNG", "JPEG", "GIF", "BMP"}) {
        const auto read = readBothWays(stringOf(encoded(picture, format)));
        ASSERT_TRUE(read) << format << ": " << read.error();
        EXPECT_EQ(read->size(), QSize(64, 48)) << format;
        // Lossy or palette formats shift colours a little, not a lot.
        const QRgb corner = read->pixel(63, 0);
        EXPECT_NEAR(qRed(corner), 255, 40) << format;
        EXPECT_NEAR(qGreen(corner), 0, 40) << format;
    }
}

TEST(ReadPicture, TakesBmpOfEveryDepthAndCompression) {
    struct Case {
        const char* what;
        std::string file;
    } cases[] = {
        {"1 bit", bmpFile({4, 4, 1}, std::string(16, '\x50'))},
        {"4 bits", bmpFile({4, 4, 4}, std::string(16, '\x12'))},
        {"8 bits, 16-entry palette", bmpFile({4, 4, 8, 0, 16}, std::string(16, '\x0f'))},
        {"8 bits, full palette", bmpFile({4, 4, 8}, std::string(16, '\x80'))},
        {"8 bits, run-length encoded", bmpFile({4, 4, 8, 1}, testing::rle8Rows(4, 4, 200))},
        // Each row one run of four pixels alternating entries 1 and 2.
        {"4 bits, run-length encoded",
         bmpFile({4, 4, 4, 2}, std::string("\x04\x12\0\0", 4) + std::string("\x04\x12\0\0", 4) +
                                   std::string("\x04\x12\0\0", 4) +
                                   std::string("\x04\x12\0\0\0\x01", 6))},
        {"8 bits, top-down", bmpFile({4, -4, 8}, std::string(16, '\x80'))},
        {"24 bits", bmpFile({4, 4, 24}, std::string(48, '\x7f'))},
        {"32 bits", bmpFile({4, 4, 32}, std::string(64, '\x7f'))},
    };
    for (const Case& c : cases) {
        const auto read = readBothWays(c.file);
        ASSERT_TRUE(read) << c.what << ": " << read.error();
        EXPECT_EQ(read->size(), QSize(4, 4)) << c.what;
    }
    // The short palette's last entry is white.
    const auto shortPalette = readPicture(bytesOf(cases[2].file));
    EXPECT_EQ(shortPalette->pixel(0, 0) & 0xffffff, 0xffffffu);
}

TEST(ReadPicture, RefusesFilesThatAreNoPicture) {
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"text", "This is not a picture.\n"},
        {"zeroes", std::string(4096, '\0')},
        {"just a PNG signature", "\x89PNG\r\n\x1a\n"},
        {"just BM", "BM"},
    };
    for (const auto& [what, bytes] : cases) {
        const auto read = readBothWays(bytes);
        EXPECT_FALSE(read) << what;
        // Qt tells a bare signature from a stranger, and we pass that on.
        EXPECT_TRUE(read.error().find("is not a picture that can be read") != std::string::npos ||
                    read.error().find("could not be read") != std::string::npos)
            << what << ": " << read.error();
    }
}

TEST(ReadPicture, RefusesCutShortPngAndBmp) {
    const QImage picture = gradientPicture(200, 150);
    const std::string png = stringOf(encoded(picture, "PNG"));
    const std::string bmp24 = stringOf(encoded(picture, "BMP"));
    const std::string bmp8 = bmpFile({200, 150, 8}, std::string(200 * 150, '\x40'));
    const std::string rle = bmpFile({200, 150, 8, 1}, testing::rle8Rows(200, 150, 9));
    struct Case {
        const char* what;
        const std::string& whole;
    } cases[] = {{"PNG", png}, {"24-bit BMP", bmp24}, {"8-bit BMP", bmp8}, {"RLE BMP", rle}};
    for (const Case& c : cases)
        for (double part : {0.3, 0.6, 0.9}) {
            const auto cut = c.whole.substr(0, std::size_t(double(c.whole.size()) * part));
            const auto read = readBothWays(cut);
            EXPECT_FALSE(read) << c.what << " cut to " << cut.size() << " bytes";
        }
    // The whole files are fine: it is the cut that is refused.
    for (const Case& c : cases)
        EXPECT_TRUE(readPicture(bytesOf(c.whole))) << c.what;

    // One byte short is enough for a BMP: Qt would fill in the rest.
    for (const std::string* bmp : {&bmp24, &bmp8, &rle}) {
        const auto read = readPicture(bytesOf(bmp->substr(0, bmp->size() - 1)));
        EXPECT_NE(read.error().find("cut short"), std::string::npos) << read.error();
    }
}

TEST(ReadPicture, RefusesHugePicturesBeforeDecodingThem) {
    struct Case {
        const char* what;
        std::string file;
    } cases[] = {
        // Headers that claim the sizes over a few bytes of pixels.
        {"100000 x 100000", bmpFile({100000, 100000, 24}, std::string(64, '\0'))},
        {"30000 x 10", bmpFile({30000, 10, 8}, std::string(64, '\0'))},
        {"10000 x 6000, 60 megapixels", bmpFile({10000, 6000, 8}, std::string(64, '\0'))},
        {"2147483647 x 2", bmpFile({2147483647, 2, 32}, std::string(64, '\0'))},
    };
    for (const Case& c : cases) {
        const auto read = readBothWays(c.file);
        EXPECT_FALSE(read) << c.what;
        EXPECT_NE(read.error().find("is too large"), std::string::npos)
            << c.what << ": " << read.error();
    }
}

TEST(ReadPicture, RefusesWhatIsNotAReadableFile) {
    TempFolder folder;
    const auto missing = readPicture(QString::fromStdString((folder / "nothing.png").string()));
    EXPECT_FALSE(missing);
    EXPECT_NE(missing.error().find("does not exist"), std::string::npos) << missing.error();

    const auto aFolder = readPicture(QString::fromStdString(folder.path().string()));
    EXPECT_FALSE(aFolder);
    EXPECT_NE(aFolder.error().find("is not a file"), std::string::npos) << aFolder.error();
}

TEST(ReadPicture, SurvivesEveryCutOfEveryFormat) {
    const QImage picture = gradientPicture(40, 30);
    for (const char* format : {"PNG", "JPEG", "GIF", "BMP"}) {
        const std::string whole = stringOf(encoded(picture, format));
        for (std::size_t length = 0; length < whole.size(); length += 1 + whole.size() / 60)
            (void)readPicture(bytesOf(whole.substr(0, length)));  // refused or partial, no crash
    }
}

}  // namespace
}  // namespace quenlark::converter
