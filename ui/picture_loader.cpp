#include "picture_loader.h"

namespace quenlark {

std::optional<QImage> loadPicture(FileSystem& files, const std::string& windowsPath) {
    const auto bytes = files.readFile(windowsPath, kLargestPicture);
    return bytes ? decodePicture(*bytes) : std::nullopt;
}

std::optional<QImage> decodePicture(const std::string& bytes) {
    QImage image = QImage::fromData(QByteArrayView(bytes.data(), bytes.size()));
    if (image.isNull())
        return std::nullopt;
    return image;
}

}  // namespace quenlark
