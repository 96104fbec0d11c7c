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

bool tooLarge(std::uint64_t width, std::uint64_t height) {
    return width > kLargestSide || height > kLargestSide || width * height > kLargestPixelCount;
}

enum class BmpHeader { Fine, TooLarge, CutShort };

// Qt's BMP reader fills in whatever rows a short file lacks and calls the
// picture read, and it gives no size for some headers it will refuse later,
// so a BMP's header is looked at here first. Called before anything else has
// read from `device`; anything that is not a BMP is Fine here.
BmpHeader checkBmpHeader(QIODevice& device) {
    const QByteArray header = device.peek(54);
    if (header.size() < 26 || !header.startsWith("BM"))
        return BmpHeader::Fine;  // not a BMP, or too short for Qt to take anyway
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
        return BmpHeader::CutShort;
    }
    if (tooLarge(width, height))
        return BmpHeader::TooLarge;
    std::uint64_t needed = pixelOffset;
    if (compression == 0 || compression == 3 || compression == 6) {
        // Rows of whole 32-bit words.
        needed += (width * bits + 31) / 32 * 4 * height;
    } else {
        needed += imageSize;  // run-length data: its size is in the header
    }
    return length >= 0 && static_cast<std::uint64_t>(length) < needed ? BmpHeader::CutShort
                                                                      : BmpHeader::Fine;
}

std::string tooLargeMessage(const QString& name, std::uint64_t width, std::uint64_t height) {
    return text(name) + " is too large (" + std::to_string(width) + " x " + std::to_string(height) +
           " pixels); the largest picture taken is " +
           std::to_string(kLargestPixelCount / 1000000) + " megapixels.";
}

Result<QImage> readFrom(QIODevice& device, const QString& name) {
    using R = Result<QImage>;
    const BmpHeader bmp = checkBmpHeader(device);
    QImageReader::setAllocationLimit(kAllocationLimitMb);
    QImageReader reader(&device);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return R::failure(text(name) + " is not a picture that can be read.");

    // Look at the header's size first, so a file that claims to be huge costs
    // nothing. A reader that cannot tell still meets Qt's allocation limit.
    const QSize size = reader.size();
    if (size.isValid() && tooLarge(size.width(), size.height()))
        return R::failure(tooLargeMessage(name, size.width(), size.height()));
    if (bmp == BmpHeader::TooLarge)
        return R::failure(text(name) + " is too large: its header claims more than " +
                          std::to_string(kLargestPixelCount / 1000000) + " megapixels.");
    if (bmp == BmpHeader::CutShort)
        return R::failure(text(name) + " is cut short: the file ends before its pixels do.");

    QImage image;
    if (!reader.read(&image) || image.isNull())
        return R::failure(text(name) + " could not be read: " + text(reader.errorString()) + ".");
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
