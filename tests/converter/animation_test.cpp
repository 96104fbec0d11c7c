#include "animation_file.h"

#include <gtest/gtest.h>

#include <numeric>

#include "animated_band.h"
#include "gif_frames.h"
#include "test_pictures.h"

namespace quenlark::converter {
namespace {

using testing::readGif;

constexpr Rgb kBorder{30, 60, 90};
constexpr Rgb kPicture{200, 10, 10};

// A plain picture in entry 1 with the moving bar over its bottom rows.
LogoPicture bandLogo(int first) {
    LogoPicture logo;
    logo.palette[0] = kBorder;
    logo.palette[1] = kPicture;
    std::fill(logo.pixels.begin(), logo.pixels.end(), 1);
    if (first > 0)
        drawBand(logo, first);
    return logo;
}

QRgb colour(Rgb c) {
    return qRgb(c.r, c.g, c.b);
}

testing::GifFrames animate(const LogoPicture& logo, const AnimationOptions& options = {}) {
    const auto gif = encodeAnimation(logo, options);
    EXPECT_TRUE(gif) << gif.error();
    return gif ? readGif(*gif) : testing::GifFrames{};
}

// The picture's place on the canvas: inside a rim of border colour.
QRect pictureOn(const QImage& frame) {
    const int middleY = frame.height() / 2, middleX = frame.width() / 2;
    int left = 0, top = 0;
    while (left < middleX && frame.pixel(left, middleY) == colour(kBorder))
        ++left;
    while (top < middleY && frame.pixel(middleX, top) == colour(kBorder))
        ++top;
    return QRect(left, top, frame.width() - 2 * left, frame.height() - 2 * top);
}

// One frame for each 55 ms step of a turn, looping; each shows the bar
// under that step's palette on the 4:3 screen with its rim, and after the
// first only the bar's rows are drawn again.
TEST(AnimatedGif, EachStepOfATurnIsAFrame) {
    const LogoPicture logo = bandLogo(236);
    const testing::GifFrames gif = animate(logo);
    ASSERT_EQ(gif.frames.size(), 20u) << gif.error;
    EXPECT_TRUE(gif.loopsForever);
    EXPECT_EQ(std::accumulate(gif.delays.begin(), gif.delays.end(), 0), 20 * 55 / 10);
    for (int delay : gif.delays)
        EXPECT_TRUE(delay == 5 || delay == 6) << delay;

    const QRect picture = pictureOn(gif.frames[0]);
    EXPECT_EQ(picture.width() * 3, picture.height() * 4);
    EXPECT_EQ(picture.left(), picture.top());
    EXPECT_GE(picture.left(), 2);
    EXPECT_EQ(gif.areas[0], gif.frames[0].rect());
    for (std::size_t step = 1; step < gif.frames.size(); ++step) {
        EXPECT_EQ(gif.areas[step], gif.areas[1]);
        EXPECT_LE(gif.areas[step].height(), picture.height() * kBandRows / kLogoHeight + 1);
    }

    const int barY = picture.bottom();
    for (std::size_t step = 0; step < gif.frames.size(); ++step) {
        SCOPED_TRACE(step);
        const QImage& frame = gif.frames[step];
        const auto palette = rotatedPalette(logo, static_cast<long long>(step));
        for (int logoX : {0, 100, 319}) {
            const int x = picture.left() + logoX * picture.width() / kLogoWidth;
            EXPECT_EQ(frame.pixel(x, barY), colour(palette[logo.at(logoX, kLogoHeight - 1)]));
        }
        EXPECT_EQ(frame.pixel(picture.center()), colour(kPicture));
        EXPECT_EQ(frame.pixel(0, frame.height() - 1), colour(kBorder));
    }
}

// Nothing turns: one frame, which does not loop.
TEST(AnimatedGif, AStillLogoIsOneFrame) {
    for (const LogoPicture& logo : {bandLogo(0), [] {
                                        LogoPicture cycledButUnused = bandLogo(0);
                                        cycledButUnused.firstCycled =
                                            236;  // no pixel uses those entries
                                        return cycledButUnused;
                                    }()}) {
        const testing::GifFrames gif = animate(logo);
        ASSERT_EQ(gif.frames.size(), 1u) << gif.error;
        EXPECT_FALSE(gif.loopsForever);
        EXPECT_EQ(gif.frames[0].pixel(pictureOn(gif.frames[0]).center()), colour(kPicture));
    }
}

TEST(AnimatedGif, LastsWholeTurnsAndScales) {
    const LogoPicture logo = bandLogo(246);  // ten entries: 0.55 s a turn
    EXPECT_EQ(animate(logo, {1, 1.0}).frames.size(), 20u);
    EXPECT_EQ(animate(logo, {1, 1.2}).frames.size(), 30u);
    const testing::GifFrames small = animate(logo), large = animate(logo, {2, 0});
    ASSERT_EQ(small.frames.size(), 10u);
    ASSERT_EQ(large.frames.size(), 10u);
    EXPECT_EQ(large.frames[0].size(), small.frames[0].size() * 2);

    for (const AnimationOptions& wrong : {AnimationOptions{0, 0}, AnimationOptions{3, 0},
                                          AnimationOptions{1, -1}, AnimationOptions{1, 61}}) {
        EXPECT_TRUE(checkAnimationOptions(wrong));
        EXPECT_FALSE(encodeAnimation(logo, wrong));
    }
}

// A file Windows would not show is refused, and nothing is written.
TEST(AnimatedGif, SavesOnlyALogoAndKeepsWhatIsThere) {
    testing::TempFolder folder;
    testing::writeBytes(folder / "logo.sys", encodeLogo(bandLogo(236)));
    testing::writeBytes(folder / "notes.txt", "not a logo");
    ASSERT_TRUE(saveAnimation(folder / "logo.sys", folder / "logo.gif", {}, ExistingFile::Keep));
    EXPECT_EQ(readGif(testing::readBytes(folder / "logo.gif")).frames.size(), 20u);

    const auto notALogo =
        saveAnimation(folder / "notes.txt", folder / "notes.gif", {}, ExistingFile::Keep);
    ASSERT_FALSE(notALogo);
    EXPECT_NE(notALogo.error().find("is not a logo that Windows shows"), std::string::npos);
    const auto kept =
        saveAnimation(folder / "logo.sys", folder / "notes.txt", {}, ExistingFile::Keep);
    ASSERT_FALSE(kept);
    EXPECT_NE(kept.error().find("already exists"), std::string::npos);
    EXPECT_EQ(testing::readBytes(folder / "notes.txt"), "not a logo");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"logo.gif", "logo.sys", "notes.txt"}));
}

}  // namespace
}  // namespace quenlark::converter
