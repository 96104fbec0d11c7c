#include "converter.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "animated_band.h"
#include "quantize.h"
#include "test_pictures.h"

namespace quenlark::converter {
namespace {

using testing::discPicture;
using testing::gradientPicture;

double meanChannelError(const LogoPicture& logo, const QImage& fitted, int rows) {
    double sum = 0;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < kLogoWidth; ++x) {
            const Rgb c = logo.palette[logo.at(x, y)];
            const QRgb want = fitted.pixel(x, y);
            sum += std::abs(c.r - qRed(want)) + std::abs(c.g - qGreen(want)) +
                   std::abs(c.b - qBlue(want));
        }
    return sum / (3.0 * kLogoWidth * rows);
}

TEST(MakeLogo, StillLogoKeepsTheColoursAndCyclesNothing) {
    const QImage picture = gradientPicture(800, 600);
    const auto logo = makeLogo(picture, {});
    ASSERT_TRUE(logo) << logo.error();
    EXPECT_EQ(logo->firstCycled, 0);
    EXPECT_EQ(logo->palette[0], (Rgb{0, 0, 0}));
    // Dithering costs a few levels per pixel; a wrong palette order costs tens.
    const double error = meanChannelError(*logo, fitToLogo(picture, FitMode::Fit, {}), kLogoHeight);
    EXPECT_LT(error, 6.0);
}

TEST(MakeLogo, EntryZeroIsTheBorderColourAndFillsTheBorders) {
    ConvertOptions options;
    options.border = {12, 34, 56};
    const auto logo = makeLogo(discPicture(1000, 500, 300, qRgb(250, 250, 0)), options);
    ASSERT_TRUE(logo) << logo.error();
    EXPECT_EQ(logo->palette[0], (Rgb{12, 34, 56}));
    for (int x = 0; x < kLogoWidth; x += 7) {
        EXPECT_EQ(logo->at(x, 0), 0) << x;
        EXPECT_EQ(logo->at(x, 399), 0) << x;
    }
    // A picture without the border's colour still keeps entry 0 for it.
    options.border = {1, 2, 3};
    options.fit = FitMode::Fill;
    const auto filled = makeLogo(gradientPicture(400, 300), options);
    ASSERT_TRUE(filled) << filled.error();
    EXPECT_EQ(filled->palette[0], (Rgb{1, 2, 3}));
}

TEST(MakeLogo, AnimatedBandOwnsTheCycledEntriesAlone) {
    for (int first : {kSmallestFirstCycled, 128, kDefaultFirstCycled, kLargestFirstCycled}) {
        ConvertOptions options;
        options.bandFirst = first;
        const auto logo = makeLogo(gradientPicture(640, 480), options);
        ASSERT_TRUE(logo) << logo.error();
        EXPECT_EQ(logo->firstCycled, first);

        std::set<std::tuple<int, int, int>> colours;
        for (int i = first; i < kPaletteSize; ++i)
            colours.insert({logo->palette[i].r, logo->palette[i].g, logo->palette[i].b});
        EXPECT_EQ(int(colours.size()), kPaletteSize - first) << "duplicates from " << first;

        // The picture never uses a cycled entry, the bar only cycled ones.
        for (int y = 0; y < kLogoHeight; ++y)
            for (int x = 0; x < kLogoWidth; ++x) {
                const bool inBar = y >= kLogoHeight - kBandRows;
                ASSERT_EQ(logo->at(x, y) >= first, inBar) << first << " at " << x << "," << y;
            }
        EXPECT_EQ(encodeLogo(*logo)[kFirstCycledOffset], static_cast<char>(first));
    }
}

TEST(MakeLogo, BarRunsToTheRightAsThePaletteTurns) {
    ConvertOptions options;
    options.bandFirst = kDefaultFirstCycled;  // 20 entries, 16 columns each
    const auto logo = makeLogo(gradientPicture(640, 480), options);
    ASSERT_TRUE(logo) << logo.error();
    const auto before = logo->palette;
    const auto after = rotatedPalette(*logo, 1);
    const int y = kLogoHeight - 1;
    for (int x = 0; x + 16 < kLogoWidth; x += 5)
        EXPECT_EQ(after[logo->at(x + 16, y)], before[logo->at(x, y)]) << x;
}

TEST(MakeLogo, BandColoursAreDistinctForEveryLength) {
    for (int count = 2; count <= kPaletteSize - kSmallestFirstCycled; ++count) {
        const auto colours = bandColours(count);
        std::set<std::tuple<int, int, int>> distinct;
        for (const Rgb& c : colours)
            distinct.insert({c.r, c.g, c.b});
        ASSERT_EQ(int(distinct.size()), count) << count;
    }
}

TEST(MakeLogo, RefusesABandOutsideThePalette) {
    for (int first : {-5, 0, 1, 255, 256}) {
        ConvertOptions options;
        options.bandFirst = first;
        const auto logo = makeLogo(gradientPicture(64, 48), options);
        EXPECT_FALSE(logo) << first;
        EXPECT_NE(logo.error().find("palette entry from 2 to 254"), std::string::npos);
        EXPECT_TRUE(checkOptions(options)) << first;
    }
}

TEST(MakeLogo, RefusesNoPicture) {
    const auto logo = makeLogo(QImage(), {});
    EXPECT_FALSE(logo);
    EXPECT_EQ(logo.error(), "There is no picture to convert.");
}

TEST(MakeLogo, TakesAPictureOfOneColour) {
    QImage plain(10, 10, QImage::Format_RGB32);
    plain.fill(qRgb(90, 180, 45));
    const auto logo = makeLogo(plain, {});
    ASSERT_TRUE(logo) << logo.error();
    const Rgb centre = logo->palette[logo->at(160, 200)];
    EXPECT_EQ(centre, (Rgb{90, 180, 45}));
}

TEST(Quantize, RefusesWhatItCannotDo) {
    const QImage fitted = fitToLogo(gradientPicture(64, 48), FitMode::Fit, {});
    EXPECT_EQ(quantize(QImage(64, 48, QImage::Format_RGB32), 256, {}).error(),
              "The picture to reduce is not 320 x 400.");
    struct Case {
        int colours;
        int rows;
        float dithering;
    } cases[] = {{1, 400, 1},   {257, 400, 1},     {256, 0, 1},
                 {256, 401, 1}, {256, 400, -0.5f}, {256, 400, 1.5f}};
    for (const Case& c : cases)
        EXPECT_FALSE(quantize(fitted, c.colours, {}, c.rows, c.dithering))
            << c.colours << " " << c.rows << " " << c.dithering;
}

TEST(Quantize, DitheringTradesPixelErrorForSmoothness) {
    const QImage fitted = fitToLogo(gradientPicture(640, 480), FitMode::Fit, {});
    const auto plain = quantize(fitted, 16, {}, kLogoHeight, 0.0f);
    const auto dithered = quantize(fitted, 16, {}, kLogoHeight, 1.0f);
    ASSERT_TRUE(plain && dithered);
    // Without dithering a 16-colour gradient falls into flat bands: far
    // fewer distinct neighbours along a row than with it.
    auto changes = [](const LogoPicture& logo) {
        int count = 0;
        for (int x = 1; x < kLogoWidth; ++x)
            count += logo.at(x, 200) != logo.at(x - 1, 200);
        return count;
    };
    EXPECT_GT(changes(*dithered), 3 * changes(*plain));
}

}  // namespace
}  // namespace quenlark::converter
