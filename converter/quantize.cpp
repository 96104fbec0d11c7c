#include "quantize.h"

#include <libimagequant.h>

#include <limits>
#include <memory>
#include <vector>

namespace quenlark::converter {

namespace {

struct LiqDeleter {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
    void operator()(liq_image* p) const { liq_image_destroy(p); }
    void operator()(liq_result* p) const { liq_result_destroy(p); }
};
template <class T>
using LiqPtr = std::unique_ptr<T, LiqDeleter>;

int distance(const liq_color& c, Rgb rgb) {
    const int dr = c.r - rgb.r, dg = c.g - rgb.g, db = c.b - rgb.b;
    return dr * dr + dg * dg + db * db;
}

}  // namespace

Result<LogoPicture> quantize(const QImage& fitted, int colours, Rgb entryZero, int rows,
                             float dithering) {
    using R = Result<LogoPicture>;
    if (fitted.width() != kLogoWidth || fitted.height() != kLogoHeight)
        return R::failure("The picture to reduce is not 320 x 400.");
    if (colours < 2 || colours > kPaletteSize || rows < 1 || rows > kLogoHeight ||
        !(dithering >= 0.0f && dithering <= 1.0f))
        return R::failure("The palette or the rows asked for are out of range.");

    // libimagequant takes bytes in R, G, B, A order.
    const QImage rgba = fitted.convertToFormat(QImage::Format_RGBA8888);
    LiqPtr<liq_attr> attr(liq_attr_create());
    if (!attr || liq_set_max_colors(attr.get(), colours) != LIQ_OK)
        return R::failure("The colour reduction could not be set up.");
    // The library's default speed. On bench/quality_bench, speeds 1 to 6 all
    // land within 1 % of each other in colour error, while the time to reduce
    // one logo goes from about 150 ms down to 30 ms: 4 keeps its careful
    // dithering map and is quick enough to follow the dialog's options.
    liq_set_speed(attr.get(), 4);

    // libimagequant only reads the rows, whatever its prototype says.
    std::vector<void*> rowPointers(static_cast<std::size_t>(rows));
    for (int y = 0; y < rows; ++y)
        rowPointers[y] = const_cast<uchar*>(rgba.constScanLine(y));
    LiqPtr<liq_image> image(
        liq_image_create_rgba_rows(attr.get(), rowPointers.data(), kLogoWidth, rows, 0));
    if (!image)
        return R::failure("The colour reduction could not take the picture.");
    // The border colour always gets an entry of its own, so borders and the
    // screen's edge come out as one plain colour.
    liq_image_add_fixed_color(image.get(), liq_color{entryZero.r, entryZero.g, entryZero.b, 255});

    liq_result* rawResult = nullptr;
    if (liq_image_quantize(image.get(), attr.get(), &rawResult) != LIQ_OK || !rawResult)
        return R::failure("The picture could not be reduced to 256 colours.");
    LiqPtr<liq_result> result(rawResult);
    liq_set_dithering_level(result.get(), dithering);

    LogoPicture logo;
    if (liq_write_remapped_image(result.get(), image.get(), logo.pixels.data(),
                                 static_cast<std::size_t>(kLogoWidth) * rows) != LIQ_OK)
        return R::failure("The picture could not be reduced to 256 colours.");
    const liq_palette* palette = liq_get_palette(result.get());

    // Move the border colour's entry to 0.
    unsigned nearest = 0;
    int best = std::numeric_limits<int>::max();
    for (unsigned i = 0; i < palette->count; ++i) {
        const int d = distance(palette->entries[i], entryZero);
        if (d < best) {
            best = d;
            nearest = i;
        }
    }
    std::vector<std::uint8_t> order(palette->count);
    for (unsigned i = 0; i < palette->count; ++i)
        order[i] = static_cast<std::uint8_t>(i == nearest ? 0 : i == 0 ? nearest : i);
    for (unsigned i = 0; i < palette->count; ++i) {
        const liq_color& c = palette->entries[i];
        logo.palette[order[i]] = {c.r, c.g, c.b};
    }
    logo.palette[0] = entryZero;
    const std::size_t used = static_cast<std::size_t>(kLogoWidth) * rows;
    for (std::size_t i = 0; i < used; ++i)
        logo.pixels[i] = order[logo.pixels[i]];
    return logo;
}

}  // namespace quenlark::converter
