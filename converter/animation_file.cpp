#include "animation_file.h"

#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "boot_screen.h"
#include "small_file.h"

namespace quenlark::converter {

namespace {

// The picture's width on the screen at scale 1.
constexpr int kPictureWidth = 640;
// A logo file is 129,078 bytes; one far larger is not read whole.
constexpr std::size_t kLargestLogoFile = std::size_t{4} << 20;

// The palette indices of the whole screen, the picture scaled by picking the
// nearest logo pixel: a frame's pixels are indices, so that a new palette
// is all a later frame needs, and a blend of two would be a third colour.
struct ScreenPixels {
    int width = 0;
    int height = 0;
    std::vector<GifPixelType> pixels;
};

ScreenPixels screenPixels(const LogoPicture& logo, int scale) {
    const ScreenLayout layout = screenAround(kPictureWidth * scale);
    const QRect picture = layout.picture;
    ScreenPixels screen{layout.screen().width(), layout.screen().height(), {}};
    screen.pixels.assign(static_cast<std::size_t>(screen.width) * screen.height, 0);
    for (int y = 0; y < picture.height(); ++y) {
        const int logoY = y * kLogoHeight / picture.height();
        GifPixelType* row = screen.pixels.data() +
                            static_cast<std::size_t>(picture.y() + y) * screen.width + picture.x();
        for (int x = 0; x < picture.width(); ++x)
            row[x] = logo.at(x * kLogoWidth / picture.width(), logoY);
    }
    return screen;
}

// The smallest rectangle that holds every pixel of a cycled entry.
QRect cycledArea(const ScreenPixels& screen, int firstCycled) {
    int left = screen.width, right = -1, top = screen.height, bottom = -1;
    for (int y = 0; y < screen.height; ++y) {
        const GifPixelType* row = screen.pixels.data() + static_cast<std::size_t>(y) * screen.width;
        for (int x = 0; x < screen.width; ++x) {
            if (row[x] < firstCycled)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColourMap = std::unique_ptr<ColorMapObject, MapDeleter>;

ColourMap colourMap(const std::array<Rgb, kPaletteSize>& palette) {
    GifColorType colours[kPaletteSize];
    for (int i = 0; i < kPaletteSize; ++i)
        colours[i] = {palette[i].r, palette[i].g, palette[i].b};
    return ColourMap(GifMakeMapObject(kPaletteSize, colours));
}

int appendToString(GifFileType* gif, const GifByteType* bytes, int length) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), length);
    return length;
}

// Writes a GIF into a string through giflib; the first failure stops it.
class GifWriter {
  public:
    GifWriter() { gif_ = EGifOpen(&bytes_, appendToString, &error_); }
    ~GifWriter() {
        if (gif_)
            EGifCloseFile(gif_, nullptr);
    }

    bool ok() const { return gif_ && error_ == 0; }

    void start(int width, int height, const ColorMapObject* colours) {
        put([&] {
            EGifSetGifVersion(gif_, true);
            return EGifPutScreenDesc(gif_, width, height, 8, 0, colours);
        });
    }

    // The application extension by which browsers loop an animation for ever.
    void loopForever() {
        static const GifByteType kLoop[] = {1, 0, 0};  // sub-block 1, count 0: for ever
        put([&] { return EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE); });
        put([&] { return EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0"); });
        put([&] { return EGifPutExtensionBlock(gif_, sizeof kLoop, kLoop); });
        put([&] { return EGifPutExtensionTrailer(gif_); });
    }

    // `area` of `screen` for `centiseconds`, each pixel left in place by the
    // next frame; `colours` when it has a palette of its own.
    void frame(const ScreenPixels& screen, const QRect& area, int centiseconds,
               const ColorMapObject* colours) {
        if (centiseconds > 0) {
            GraphicsControlBlock control{};
            control.DisposalMode = DISPOSE_DO_NOT;
            control.DelayTime = centiseconds;
            control.TransparentColor = NO_TRANSPARENT_COLOR;
            GifByteType extension[4];
            const auto size = static_cast<int>(EGifGCBToExtension(&control, extension));
            put([&] { return EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, size, extension); });
        }
        put([&] {
            return EGifPutImageDesc(gif_, area.x(), area.y(), area.width(), area.height(), false,
                                    colours);
        });
        // giflib takes the rows as writable, though it only reads them.
        auto* pixels = const_cast<GifPixelType*>(screen.pixels.data());
        for (int y = area.top(); y <= area.bottom(); ++y)
            put([&] {
                return EGifPutLine(gif_,
                                   pixels + static_cast<std::size_t>(y) * screen.width + area.x(),
                                   area.width());
            });
    }

    Result<std::string> finish() {
        int closeError = 0;
        const bool closed = gif_ && EGifCloseFile(gif_, &closeError) == GIF_OK;
        gif_ = nullptr;
        if (error_ == 0 && !closed)
            error_ = closeError != 0 ? closeError : D_GIF_ERR_NOT_ENOUGH_MEM;
        if (error_ != 0) {
            const char* why = GifErrorString(error_);
            return Result<std::string>::failure(std::string("The animation could not be made: ") +
                                                (why ? why : "giflib failed") + ".");
        }
        return std::move(bytes_);
    }

  private:
    // Runs one giflib call unless an earlier one failed, and keeps why it
    // failed.
    template <class Call>
    void put(Call call) {
        if (ok() && call() == GIF_ERROR)
            error_ = gif_->Error != 0 ? gif_->Error : E_GIF_ERR_WRITE_FAILED;
    }

    std::string bytes_;
    int error_ = 0;
    GifFileType* gif_ = nullptr;
};

// When step `step` starts, in the hundredths of a second that a GIF's delays
// count: rounded from the start, so that the delays, 5 and 6 in turn, add up
// to the 55 ms steps of the boot preview instead of drifting from them.
int centisecondsBefore(long long step) {
    return static_cast<int>((step * kStepMilliseconds + 5) / 10);
}

}  // namespace

std::optional<std::string> checkAnimationOptions(const AnimationOptions& options) {
    if (options.scale < 1 || options.scale > kLargestAnimationScale)
        return "The animation's scale must be 1 or " + std::to_string(kLargestAnimationScale) +
               ", not " + std::to_string(options.scale) + ".";
    if (!(options.seconds >= 0 && options.seconds <= kLongestAnimationSeconds))
        return "The animation can last from 0 to " +
               std::to_string(static_cast<int>(kLongestAnimationSeconds)) + " seconds.";
    return std::nullopt;
}

int animationFrames(const LogoPicture& logo, const AnimationOptions& options) {
    const int steps = stepsPerTurn(logo);
    if (steps == 1)
        return 1;
    const double turnSeconds = steps * kStepMilliseconds / 1000.0;
    // A length of exactly some turns is that many, whatever the rounding.
    const int turns =
        std::max(1, static_cast<int>(std::ceil(options.seconds / turnSeconds - 1e-9)));
    return turns * steps;
}

Result<std::string> encodeAnimation(const LogoPicture& logo, const AnimationOptions& options) {
    if (auto problem = checkAnimationOptions(options))
        return Result<std::string>::failure(*problem);
    const ScreenPixels screen = screenPixels(logo, options.scale);
    const QRect whole(0, 0, screen.width, screen.height);
    const int frames = animationFrames(logo, options);
    const QRect cycled = frames > 1 ? cycledArea(screen, logo.firstCycled) : QRect();

    GifWriter gif;
    gif.start(screen.width, screen.height, colourMap(logo.palette).get());
    // Nothing of the picture turns: the first frame shows it all.
    if (cycled.isEmpty()) {
        gif.frame(screen, whole, 0, nullptr);
        return gif.finish();
    }
    gif.loopForever();
    for (int step = 0; step < frames; ++step) {
        const int delay = centisecondsBefore(step + 1) - centisecondsBefore(step);
        if (step == 0)
            gif.frame(screen, whole, delay, nullptr);
        else
            gif.frame(screen, cycled, delay, colourMap(rotatedPalette(logo, step)).get());
    }
    return gif.finish();
}

Result<Done> saveAnimation(const std::filesystem::path& logoFile,
                           const std::filesystem::path& output, const AnimationOptions& options,
                           ExistingFile existing) {
    using R = Result<Done>;
    if (auto problem = checkAnimationOptions(options))
        return R::failure(*problem);
    std::error_code ignored;
    if (existing == ExistingFile::Keep && std::filesystem::exists(output, ignored))
        return R::failure(output.string() + " already exists; it was left as it was.");
    const auto bytes = readSmallFile(logoFile, kLargestLogoFile, "a logo");
    if (!bytes)
        return R::failure(bytes.error());
    const auto logo = decodeLogo(*bytes);
    if (!logo)
        return R::failure(logoFile.string() +
                          " is not a logo that Windows shows: " + asClause(logo.error()));
    const auto animation = encodeAnimation(*logo, options);
    if (!animation)
        return R::failure(animation.error());
    return writeNewFile(output, *animation, existing);
}

}  // namespace quenlark::converter
