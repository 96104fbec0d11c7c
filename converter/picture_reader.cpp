#include "picture_reader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <cstdint>

namespace quenlark::converter {

namespace {

std::string text(const QString& s) {
    return s.toStdString();
}

std::uint64_t le(const QByteArray& bytes, int at, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

// Qt's BMP reader fills in whatever rows a short file lacks and calls the
// picture read, so a BMP's header is held against the file's length first.
// Called before anything else has read from `device`.
bool isCutShortBmp(QIODevice& device) {
    const QByteArray header = device.peek(54);
    if (header.size() < 26 || !header.startsWith("BM"))
        return false;  // not a BMP, or too short for Qt to take anyway
    const qint64 length = device.size();
    const std::uint64_t pixelOffset = le(header, 10, 4);
    const std::uint64_t infoSize = le(header, 14, 4);
    std::uint64_t width = 0, height = 0, bits = 0, compression = 0, imageSize = 0;
    if (infoSize == 12) {  // the old OS/2 header: 16-bit sizes, never compressed
        width = le(header, 18, 2);
        height = le(header, 20, 2);
        bits = le(header, 24, 2);
    } else if (header.size() >= 54) {
        width = le(header, 18, 4);
        const auto signedHeight = static_cast<std::int32_t>(le(header, 22, 4));
        height = signedHeight < 0 ? 0 - static_cast<std::int64_t>(signedHeight) : signedHeight;
        bits = le(header, 28, 2);
        compression = le(header, 30, 4);
        imageSize = le(header, 34, 4);
    } else {
        return true;
    }
    // The size check refuses these, and it keeps the sums below in range.
    if (width > kLargestSide || height > kLargestSide)
        return false;
    std::uint64_t needed = pixelOffset;
    if (compression == 0 || compression == 3 || compression == 6) {
        // Rows of whole 32-bit words.
        needed += (width * bits + 31) / 32 * 4 * height;
    } else {
        needed += imageSize;  // run-length data: its size is in the header
    }
    return length >= 0 && static_cast<std::uint64_t>(length) < needed;
}

Result<QImage> readFrom(QIODevice& device, const QString& name) {
    using R = Result<QImage>;
    const bool cutShort = isCutShortBmp(device);
    QImageReader::setAllocationLimit(kAllocationLimitMb);
    QImageReader reader(&device);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return R::failure(text(name) + " is not a picture that can be read.");

    // Look at the header's size first, so a file that claims to be huge costs
    // nothing. A reader that cannot tell still meets Qt's allocation limit.
    const QSize size = reader.size();
    if (size.isValid() &&
        (size.width() > kLargestSide || size.height() > kLargestSide ||
         static_cast<long long>(size.width()) * size.height() > kLargestPixelCount))
        return R::failure(text(name) + " is too large (" + std::to_string(size.width()) + " x " +
                          std::to_string(size.height()) +
                          " pixels); the largest picture taken is " +
                          std::to_string(kLargestPixelCount / 1000000) + " megapixels.");

    if (cutShort)
        return R::failure(text(name) + " is cut short: the file ends before its pixels do.");

    QImage image;
    if (!reader.read(&image) || image.isNull())
        return R::failure(text(name) + " could not be read: " + text(reader.errorString()) + ".");
    if (image.width() > kLargestSide || image.height() > kLargestSide ||
        static_cast<long long>(image.width()) * image.height() > kLargestPixelCount)
        return R::failure(text(name) + " is too large.");
    return image;
}

}  // namespace

Result<QImage> readPicture(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return Result<QImage>::failure(text(path) + " does not exist.");
    if (!info.isFile())
        return Result<QImage>::failure(text(path) + " is not a file.");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QImage>::failure(text(path) +
                                       " cannot be opened: " + text(file.errorString()) + ".");
    return readFrom(file, path);
}

Result<QImage> readPicture(const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return readFrom(buffer, QStringLiteral("The picture"));
}

}  // namespace quenlark::converter
