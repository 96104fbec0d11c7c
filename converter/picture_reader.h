#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include "result.h"

namespace quenlark::converter {

// Pictures larger than this are refused before a byte of pixels is decoded: a
// logo has 128,000 pixels, and a 50-megapixel photo is already far beyond any
// use, while decoding a header that claims 100,000 x 100,000 would take
// tens of gigabytes.
inline constexpr int kLargestSide = 20000;
inline constexpr long long kLargestPixelCount = 50LL * 1000 * 1000;
// Qt's own ceiling for one decoded image, in megabytes: 50 megapixels at four
// bytes each, with room for the reader's own copy.
inline constexpr int kAllocationLimitMb = 512;

// Reads a picture in any format that Qt's image readers know (PNG, JPEG, GIF,
// BMP of any depth, compressed or not, ...), turned upright when the file says
// it was taken rotated. Refuses, with a sentence for the user, a file that
// cannot be opened, is no picture, is damaged or is too large.
Result<QImage> readPicture(const QString& path);
Result<QImage> readPicture(const QByteArray& bytes);

}  // namespace quenlark::converter
