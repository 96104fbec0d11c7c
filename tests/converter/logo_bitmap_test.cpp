#include "logo_bitmap.h"

#include <gtest/gtest.h>

#include <QImage>
#include <random>

#include "test_pictures.h"

namespace quenlark::converter {
namespace {

using testing::bmpFile;
using testing::BmpHeader;

std::uint32_t u32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

std::uint16_t u16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

LogoPicture randomLogo(unsigned seed, int firstCycled) {
    std::mt19937 random(seed);
    LogoPicture logo;
    for (auto& c : logo.palette)
        c = {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
             static_cast<std::uint8_t>(random())};
    for (auto& p : logo.pixels)
        p = static_cast<std::uint8_t>(random());
    logo.firstCycled = firstCycled;
    return logo;
}

TEST(LogoFile, HasTheHeaderThatWindowsReads) {
    LogoPicture logo = randomLogo(1, 236);
    logo.palette[0] = {0x11, 0x22, 0x33};
    logo.palette[255] = {0xaa, 0xbb, 0xcc};
    const std::string file = encodeLogo(logo);

    ASSERT_EQ(file.size(), 129078u);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(u32(file, 2), 129078u);       // bfSize
    EXPECT_EQ(u32(file, 10), 1078u);        // bfOffBits
    EXPECT_EQ(u32(file, 14), 40u);          // biSize
    EXPECT_EQ(u32(file, 18), 320u);         // biWidth
    EXPECT_EQ(u32(file, 22), 400u);         // biHeight, positive: bottom-up
    EXPECT_EQ(u16(file, 26), 1);            // biPlanes
    EXPECT_EQ(u16(file, 28), 8);            // biBitCount
    EXPECT_EQ(u32(file, 30), 0u);           // BI_RGB
    EXPECT_EQ(u32(file, 34), 128000u);      // biSizeImage
    EXPECT_EQ(u32(file, 46), 256u);         // biClrUsed
    EXPECT_EQ(u32(file, 0x32), 236u);       // biClrImportant: first cycled entry
    EXPECT_EQ(u32(file, 54), 0x00112233u);  // entry 0 as B, G, R, 0
    EXPECT_EQ(u32(file, 54 + 255 * 4), 0x00aabbccu);
}

TEST(LogoFile, StoresRowsBottomUp) {
    LogoPicture logo;
    logo.pixels[0] = 7;                // top left
    logo.pixels[399 * 320 + 319] = 9;  // bottom right
    const std::string file = encodeLogo(logo);
    EXPECT_EQ(static_cast<std::uint8_t>(file[1078 + 399 * 320]), 7);
    EXPECT_EQ(static_cast<std::uint8_t>(file[1078 + 319]), 9);
}

TEST(LogoFile, StillLogoHasNoCycledEntries) {
    EXPECT_EQ(u32(encodeLogo(randomLogo(2, 0)), 0x32), 0u);
}

TEST(LogoFile, ComesBackThroughTheDecoderAndThroughQt) {
    const LogoPicture logo = randomLogo(3, 200);
    const std::string file = encodeLogo(logo);

    const auto back = decodeLogo(file);
    ASSERT_TRUE(back) << back.error();
    EXPECT_EQ(back->palette, logo.palette);
    EXPECT_EQ(back->pixels, logo.pixels);
    EXPECT_EQ(back->firstCycled, 200);

    const QImage image = QImage::fromData(QByteArray(file.data(), qsizetype(file.size())), "BMP");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(320, 400));
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(image.colorCount(), 256);
    for (auto [x, y] : {std::pair{0, 0}, {319, 0}, {0, 399}, {319, 399}, {123, 234}}) {
        const Rgb c = logo.palette[logo.at(x, y)];
        EXPECT_EQ(image.pixel(x, y), qRgb(c.r, c.g, c.b)) << x << "," << y;
    }
}

TEST(LogoFile, DecoderReadsTopDownRows) {
    LogoPicture logo;
    logo.pixels[0] = 5;
    std::string file = encodeLogo(logo);
    // Turn the rows over and say so in the header.
    std::string rows = file.substr(1078);
    std::string flipped;
    for (int y = 399; y >= 0; --y)
        flipped += rows.substr(static_cast<std::size_t>(y) * 320, 320);
    file = file.substr(0, 1078) + flipped;
    const std::int32_t minus400 = -400;
    for (int i = 0; i < 4; ++i)
        file[22 + i] = static_cast<char>((static_cast<std::uint32_t>(minus400) >> (8 * i)) & 0xff);
    const auto back = decodeLogo(file);
    ASSERT_TRUE(back) << back.error();
    EXPECT_EQ(back->at(0, 0), 5);
    EXPECT_EQ(back->at(0, 399), 0);
}

TEST(LogoFile, DecoderRefusesWhatWindowsWouldNotShow) {
    const std::string good = encodeLogo(LogoPicture{});
    const std::string pixels8(320 * 400, '\0');
    struct Case {
        const char* what;
        std::string bytes;
        const char* says;
    };
    const Case cases[] = {
        {"empty", "", "not a Windows bitmap"},
        {"a PNG", "\x89PNG\r\n\x1a\n" + std::string(200, '\0'), "not a Windows bitmap"},
        {"header cut short", good.substr(0, 40), "not a Windows bitmap"},
        {"24 bits", bmpFile({320, 400, 24, 0}, std::string(320 * 3 * 400, '\0')),
         "24 bits per pixel"},
        {"run-length encoded", bmpFile({320, 400, 8, 1}, testing::rle8Rows(320, 400, 1)),
         "compressed"},
        {"wrong size", bmpFile({640, 480, 8, 0}, std::string(640 * 480, '\0')), "640 x 480 pixels"},
        {"short palette", bmpFile({320, 400, 8, 0, 16}, pixels8), "palette has 16 entries"},
        {"pixels cut short", good.substr(0, good.size() - 1), "cut short"},
        {"info header larger than the file",
         [&] {
             std::string b = good;
             b[14] = '\xff';
             b[15] = '\xff';
             b[16] = '\xff';
             return b;
         }(),
         "header is damaged"},
        {"pixel offset past the end",
         [&] {
             std::string b = good;
             b[10] = '\xff';
             b[11] = '\xff';
             b[12] = '\xff';
             b[13] = '\x7f';
             return b;
         }(),
         "cut short"},
        {"pixel offset inside the palette",
         [&] {
             std::string b = good;
             b[10] = 60;
             b[11] = 0;
             return b;
         }(),
         "damaged"},
    };
    for (const Case& c : cases) {
        const auto result = decodeLogo(c.bytes);
        EXPECT_FALSE(result) << c.what;
        EXPECT_NE(result.error().find(c.says), std::string::npos)
            << c.what << ": " << result.error();
    }
}

TEST(LogoFile, DecoderSurvivesEveryCutAndScribbledHeader) {
    const std::string good = encodeLogo(randomLogo(4, 236));
    for (std::size_t length = 0; length < good.size(); length += 97)
        EXPECT_FALSE(decodeLogo(good.substr(0, length))) << length;
    std::mt19937 random(5);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[random() % 54] = static_cast<char>(random());
        (void)decodeLogo(bytes);  // may be taken or refused; must not crash
    }
}

TEST(PaletteRotation, EachStepTakesTheNextEntrysColour) {
    LogoPicture logo = randomLogo(6, 236);
    const auto once = rotatedPalette(logo, 1);
    for (int n = 0; n < 236; ++n)
        EXPECT_EQ(once[n], logo.palette[n]) << n;
    for (int n = 236; n < 255; ++n)
        EXPECT_EQ(once[n], logo.palette[n + 1]) << n;
    EXPECT_EQ(once[255], logo.palette[236]);

    EXPECT_EQ(rotatedPalette(logo, 20), logo.palette);  // a full turn
    EXPECT_EQ(rotatedPalette(logo, 23), rotatedPalette(logo, 3));
    EXPECT_EQ(rotatedPalette(logo, -1), rotatedPalette(logo, 19));
}

TEST(PaletteRotation, NothingMovesWithoutCycledEntries) {
    const LogoPicture logo = randomLogo(7, 0);
    EXPECT_EQ(rotatedPalette(logo, 5), logo.palette);
}

}  // namespace
}  // namespace quenlark::converter
