#pragma once

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quenlark::converter::testing {

// A `width` x `height` picture in `background` with a filled disc of
// `diameter` pixels in `disc` at its centre. Drawn pixel by pixel: no
// painter, no display.
QImage discPicture(int width, int height, int diameter, QRgb background = qRgb(255, 255, 255),
                   QRgb disc = qRgb(0, 0, 0));

// Smooth colour ramps across and down.
QImage gradientPicture(int width, int height);

// The bytes of `image` saved by Qt in `format` ("PNG", "JPEG", "BMP", ...).
QByteArray encoded(const QImage& image, const char* format);

// The fields of a BMP header that the tests vary; the rest follows from them.
struct BmpHeader {
    std::int32_t width = 4;
    std::int32_t height = 4;
    std::uint16_t bits = 8;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;  // 0: all 2^bits
    std::uint32_t important = 0;
    std::uint32_t imageSize = 0;  // 0: worked out for uncompressed data
};

// A BMP file with that header, a grey palette of coloursUsed (or 2^bits)
// entries for bits <= 8, and `pixels` as the pixel data, as given.
std::string bmpFile(const BmpHeader& header, const std::string& pixels);

// Run-length encoded 8-bit pixel data: each row one run of `index`.
std::string rle8Rows(int width, int height, std::uint8_t index);

// A fresh empty folder, removed with everything in it at the end.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Names of the files in the folder, sorted.
    std::vector<std::string> names() const;

  private:
    std::filesystem::path path_;
};

void writeBytes(const std::filesystem::path& path, const std::string& bytes);
std::string readBytes(const std::filesystem::path& path);

}  // namespace quenlark::converter::testing
