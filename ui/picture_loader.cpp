#include "picture_loader.h"

namespace quenlark {

std::optional<QImage> loadPicture(FileSystem& files, const std::string& windowsPath) {
    const auto bytes = files.readFile(windowsPath, kLargestPicture);
    if (!bytes)
        return std::nullopt;
    QImage image = QImage::fromData(QByteArrayView(bytes->data(), bytes->size()));
    if (image.isNull())
        return std::nullopt;
    return image;
}

}  // namespace quenlark
