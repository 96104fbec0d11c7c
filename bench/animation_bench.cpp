// The start-up screen as an animated GIF at the stock size: a logo made from
// a photo with the stock 20-entry bar, at scale 2, one turn of the palette.
// The median time to make and write it, and its size, against a GIF of the
// same frames that stores each one whole, written in the same run.
//   animation_bench [RUNS]        (default 9)
#include <gif_lib.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "animation_file.h"
#include "converter.h"
#include "photo.h"

using namespace quenlark::converter;

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int readFromString(GifFileType* gif, GifByteType* into, int length) {
    auto* source = static_cast<std::pair<const std::string*, std::size_t>*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(length, source->first->size() - source->second);
    std::copy_n(source->first->data() + source->second, n, into);
    source->second += n;
    return static_cast<int>(n);
}

int appendToString(GifFileType* gif, const GifByteType* bytes, int length) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), length);
    return length;
}

// `animation` read back with giflib; nothing when it cannot be.
GifFileType* readBack(const std::string& animation) {
    static std::pair<const std::string*, std::size_t> source;
    source = {&animation, 0};
    int error = 0;
    GifFileType* in = DGifOpen(&source, readFromString, &error);
    if (in && DGifSlurp(in) != GIF_OK) {
        DGifCloseFile(in, &error);
        return nullptr;
    }
    return in;
}

// The frames of `in` again, each the whole screen with its own palette and
// delay: what a GIF holds whose frames are stored whole.
std::string wholeFrames(GifFileType* in) {
    int error = 0;
    std::string out;
    GifFileType* gif = EGifOpen(&out, appendToString, &error);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, in->SWidth, in->SHeight, 8, 0, in->SColorMap);
    std::vector<GifPixelType> screen(in->SavedImages[0].RasterBits,
                                     in->SavedImages[0].RasterBits + in->SWidth * in->SHeight);
    for (int i = 0; i < in->ImageCount; ++i) {
        const SavedImage& frame = in->SavedImages[i];
        const GifImageDesc& d = frame.ImageDesc;
        for (int y = 0; y < d.Height; ++y)
            std::copy_n(frame.RasterBits + y * d.Width, d.Width,
                        screen.data() + (d.Top + y) * in->SWidth + d.Left);
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(in, i, &control);
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        EGifPutImageDesc(gif, 0, 0, in->SWidth, in->SHeight, false,
                         d.ColorMap ? d.ColorMap : in->SColorMap);
        for (int y = 0; y < in->SHeight; ++y)
            EGifPutLine(gif, screen.data() + y * in->SWidth, in->SWidth);
    }
    EGifCloseFile(gif, &error);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    ConvertOptions options;
    options.bandFirst = 236;
    const auto logo = makeLogo(quenlark::bench::syntheticPhoto(1600, 1200), options);
    if (!logo)
        return 1;
    const AnimationOptions stock{2, 0};
    QTemporaryDir folder;
    const std::string path = folder.filePath("boot.gif").toStdString();

    std::vector<double> ours, whole;
    std::string animation, baseline;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const auto made = encodeAnimation(*logo, stock);
        if (!made || !writeNewFile(path, *made, ExistingFile::Replace))
            return 1;
        ours.push_back(timer.nsecsElapsed() / 1e6);
        animation = *made;

        GifFileType* frames = readBack(animation);
        if (!frames)
            return 1;
        timer.start();
        baseline = wholeFrames(frames);
        if (baseline.empty() || !writeNewFile(path + ".whole", baseline, ExistingFile::Replace))
            return 1;
        whole.push_back(timer.nsecsElapsed() / 1e6);
        int error = 0;
        DGifCloseFile(frames, &error);
    }
    std::printf("stock animation: %d frames, scale 2, %d runs\n", animationFrames(*logo, stock),
                runs);
    std::printf("%-28s %12s %12s\n", "", "median ms", "bytes");
    std::printf("%-28s %12.1f %12zu\n", "ours (palette changes)", median(ours), animation.size());
    std::printf("%-28s %12.1f %12zu\n", "every frame stored whole", median(whole), baseline.size());
    std::printf("size ratio: %.1f times smaller\n", double(baseline.size()) / animation.size());
    return 0;
}
