#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>

#include "logo_bitmap.h"

namespace quenlark::converter {

// How a picture whose shape is not 4:3 meets the screen.
enum class FitMode {
    Fit,      // all of it, with borders in the border colour
    Fill,     // the whole screen, cutting off what sticks out
    Stretch,  // the whole picture on the whole screen, out of shape
};

// Windows shows the 320 x 400 logo on a 4:3 screen, so each logo pixel is 5/3
// as wide as it is tall. These give the part of the picture that is used and
// the part of the logo that it covers, both in pixels.
QRectF sourceArea(QSize picture, FitMode mode);
QRect logoArea(QSize picture, FitMode mode);

// The picture resampled to 320 x 400 logo pixels, squeezed across so that it
// looks right on the 4:3 screen, placed by `mode`, transparent parts and
// borders in `border`. Opaque RGB32.
QImage fitToLogo(const QImage& picture, FitMode mode, Rgb border);

}  // namespace quenlark::converter
