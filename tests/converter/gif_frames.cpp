#include "gif_frames.h"

#include <gif_lib.h>

#include <cstring>

namespace quenlark::converter::testing {

namespace {

struct Source {
    const std::string& bytes;
    std::size_t at = 0;
};

int readFromString(GifFileType* gif, GifByteType* into, int length) {
    auto* source = static_cast<Source*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(length, source->bytes.size() - source->at);
    std::memcpy(into, source->bytes.data() + source->at, n);
    source->at += n;
    return static_cast<int>(n);
}

bool isEndlessLoop(const SavedImage& image) {
    for (int i = 0; i + 1 < image.ExtensionBlockCount; ++i) {
        const ExtensionBlock& name = image.ExtensionBlocks[i];
        const ExtensionBlock& data = image.ExtensionBlocks[i + 1];
        if (name.Function == APPLICATION_EXT_FUNC_CODE && name.ByteCount == 11 &&
            std::memcmp(name.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3 &&
            data.Bytes[0] == 1 && data.Bytes[1] == 0 && data.Bytes[2] == 0)
            return true;
    }
    return false;
}

}  // namespace

GifFrames readGif(const std::string& bytes) {
    GifFrames result;
    Source source{bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, readFromString, &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
        result.error = GifErrorString(gif ? gif->Error : error);
        if (gif)
            DGifCloseFile(gif, &error);
        return result;
    }
    QImage canvas(gif->SWidth, gif->SHeight, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const GifImageDesc& desc = image.ImageDesc;
        const ColorMapObject* colours = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        for (int y = 0; y < desc.Height; ++y) {
            auto* row = reinterpret_cast<QRgb*>(canvas.scanLine(desc.Top + y)) + desc.Left;
            for (int x = 0; x < desc.Width; ++x) {
                const GifColorType c = colours->Colors[image.RasterBits[y * desc.Width + x]];
                row[x] = qRgb(c.Red, c.Green, c.Blue);
            }
        }
        result.frames.push_back(canvas.copy());
        result.areas.emplace_back(desc.Left, desc.Top, desc.Width, desc.Height);
        GraphicsControlBlock control{};
        result.delays.push_back(
            DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK ? control.DelayTime : 0);
        result.loopsForever = result.loopsForever || isEndlessLoop(image);
    }
    DGifCloseFile(gif, &error);
    return result;
}

}  // namespace quenlark::converter::testing
