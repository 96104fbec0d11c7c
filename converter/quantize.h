#pragma once

#include <QImage>

#include "logo_bitmap.h"

namespace quenlark::converter {

// Reduces the top `rows` rows of the 320 x 400 `fitted` picture to at most
// `colours` palette entries (2 to 256) with libimagequant, dithered by
// `dithering` (0 none, 1 full Floyd-Steinberg). Entry 0
// is exactly `entryZero`, which Windows also paints around the picture;
// entries from `colours` up are left black for the caller, and so are the
// pixels below `rows`.
Result<LogoPicture> quantize(const QImage& fitted, int colours, Rgb entryZero,
                             int rows = kLogoHeight, float dithering = 1.0f);

}  // namespace quenlark::converter
