#include "screen_fit.h"

#include <gtest/gtest.h>

#include "converter.h"
#include "test_pictures.h"

namespace quenlark::converter {
namespace {

using testing::discPicture;

struct Box {
    int width = 0;
    int height = 0;
    double ratio() const { return double(width) / height; }
};

// The bounding box of the dark pixels of `colourAt`, a 320 x 400 picture.
template <class ColourAt>
Box darkBox(ColourAt colourAt) {
    int left = kLogoWidth, right = -1, top = kLogoHeight, bottom = -1;
    for (int y = 0; y < kLogoHeight; ++y)
        for (int x = 0; x < kLogoWidth; ++x)
            if (qGray(colourAt(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return {right - left + 1, bottom - top + 1};
}

Box darkBox(const QImage& fitted) {
    return darkBox([&](int x, int y) { return fitted.pixel(x, y); });
}

Box darkBox(const LogoPicture& logo) {
    return darkBox([&](int x, int y) {
        const Rgb c = logo.palette[logo.at(x, y)];
        return qRgb(c.r, c.g, c.b);
    });
}

TEST(ScreenShape, FitKeepsTheWholePictureInsideBorders) {
    EXPECT_EQ(logoArea({640, 480}, FitMode::Fit), QRect(0, 0, 320, 400));
    // 2:1 is wider than the screen: full width, 4:3 / 2:1 of the height.
    EXPECT_EQ(logoArea({1000, 500}, FitMode::Fit), QRect(0, 66, 320, 267));
    // Square: three quarters of the width.
    EXPECT_EQ(logoArea({500, 500}, FitMode::Fit), QRect(40, 0, 240, 400));
    EXPECT_EQ(sourceArea({1000, 500}, FitMode::Fit), QRectF(0, 0, 1000, 500));
}

TEST(ScreenShape, FillCutsTheMiddle4By3OutOfThePicture) {
    EXPECT_EQ(sourceArea({1000, 500}, FitMode::Fill), QRectF(500 - 1000.0 / 3, 0, 2000.0 / 3, 500));
    EXPECT_EQ(sourceArea({300, 600}, FitMode::Fill), QRectF(0, 300 - 112.5, 300, 225));
    EXPECT_EQ(logoArea({1000, 500}, FitMode::Fill), QRect(0, 0, 320, 400));
}

TEST(ScreenShape, StretchUsesAllOfBoth) {
    EXPECT_EQ(sourceArea({1000, 500}, FitMode::Stretch), QRectF(0, 0, 1000, 500));
    EXPECT_EQ(logoArea({1000, 500}, FitMode::Stretch), QRect(0, 0, 320, 400));
}

// Each logo pixel shows 5/3 as wide as tall, so a round disc must come out
// 3/5 as wide as tall in logo pixels.
TEST(ScreenShape, RoundStaysRoundOnTheScreen) {
    struct Case {
        const char* what;
        QImage picture;
        FitMode mode;
        double ratio;
    } cases[] = {
        {"640 x 480, fit", discPicture(640, 480, 300), FitMode::Fit, 0.6},
        {"4000 x 3000, fit", discPicture(4000, 3000, 1800), FitMode::Fit, 0.6},
        {"160 x 120, enlarged", discPicture(160, 120, 80), FitMode::Fit, 0.6},
        {"2:1 with borders", discPicture(1000, 500, 300), FitMode::Fit, 0.6},
        {"2:1 filled", discPicture(1000, 500, 300), FitMode::Fill, 0.6},
        {"tall, filled", discPicture(600, 1200, 400), FitMode::Fill, 0.6},
        // Stretching a 2:1 picture to 4:3 squeezes it by another 2/3.
        {"2:1 stretched", discPicture(1000, 500, 300), FitMode::Stretch, 0.4},
    };
    for (const Case& c : cases) {
        const Box fitted = darkBox(fitToLogo(c.picture, c.mode, {255, 255, 255}));
        EXPECT_NEAR(fitted.ratio(), c.ratio, 0.02)
            << c.what << ": " << fitted.width << " x " << fitted.height;
        ConvertOptions options;
        options.fit = c.mode;
        options.border = {255, 255, 255};
        const auto logo = makeLogo(c.picture, options);
        ASSERT_TRUE(logo) << logo.error();
        const Box converted = darkBox(*logo);
        EXPECT_NEAR(converted.ratio(), c.ratio, 0.02) << c.what;
    }
    // The 640 x 480 disc: half across, five sixths down.
    const Box box = darkBox(fitToLogo(discPicture(640, 480, 300), FitMode::Fit, {255, 255, 255}));
    EXPECT_NEAR(box.width, 150, 2);
    EXPECT_NEAR(box.height, 250, 2);
}

TEST(ScreenShape, BordersTakeTheBorderColour) {
    const QImage fitted =
        fitToLogo(discPicture(1000, 500, 300, qRgb(0, 0, 255)), FitMode::Fit, {200, 10, 20});
    // The picture covers rows 66 to 332.
    EXPECT_EQ(fitted.pixel(160, 0), qRgb(200, 10, 20));
    EXPECT_EQ(fitted.pixel(160, 65), qRgb(200, 10, 20));
    EXPECT_EQ(fitted.pixel(0, 66), qRgb(0, 0, 255));
    EXPECT_EQ(fitted.pixel(319, 332), qRgb(0, 0, 255));
    EXPECT_EQ(fitted.pixel(160, 333), qRgb(200, 10, 20));
    EXPECT_EQ(fitted.pixel(160, 399), qRgb(200, 10, 20));
}

TEST(ScreenShape, TransparencyShowsTheBorderColour) {
    QImage clear(64, 48, QImage::Format_ARGB32);
    clear.fill(qRgba(255, 255, 255, 0));
    const QImage fitted = fitToLogo(clear, FitMode::Fit, {10, 20, 30});
    EXPECT_EQ(fitted.pixel(160, 200), qRgb(10, 20, 30));

    QImage half(64, 48, QImage::Format_ARGB32);
    half.fill(qRgba(255, 255, 255, 128));
    const QRgb mixed = fitToLogo(half, FitMode::Fit, {0, 0, 0}).pixel(160, 200);
    EXPECT_NEAR(qRed(mixed), 128, 2);
    EXPECT_EQ(qRed(mixed), qBlue(mixed));
}

TEST(ScreenShape, ShrinkingAveragesRatherThanPicksPixels) {
    // One-pixel stripes of black and white: an area filter gives even grey,
    // picking pixels would give black or white.
    QImage stripes(3200, 2400, QImage::Format_RGB32);
    for (int x = 0; x < stripes.width(); ++x)
        for (int y = 0; y < stripes.height(); ++y)
            stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const QImage fitted = fitToLogo(stripes, FitMode::Fit, {0, 0, 0});
    for (int x : {0, 101, 200, 319})
        EXPECT_NEAR(qGray(fitted.pixel(x, 200)), 128, 8) << x;
}

}  // namespace
}  // namespace quenlark::converter
