#include "test_pictures.h"

#include <QBuffer>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quenlark::converter::testing {

namespace fs = std::filesystem;

QImage discPicture(int width, int height, int diameter, QRgb background, QRgb disc) {
    QImage image(width, height, QImage::Format_RGB32);
    const double cx = width / 2.0, cy = height / 2.0, r = diameter / 2.0;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            row[x] = dx * dx + dy * dy <= r * r ? disc : background;
        }
    }
    return image;
}

QImage gradientPicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = qRgb(255 * x / std::max(1, width - 1), 255 * y / std::max(1, height - 1),
                          255 - 255 * (x + y) / std::max(1, width + height - 2));
    }
    return image;
}

namespace {

// Qt reads GIF but does not write it. Every code is a 9-bit literal, with a
// clear code often enough that the decoder's table never needs 10 bits.
QByteArray gif(const QImage& image) {
    const QImage indexed = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    QByteArray out("GIF89a");
    auto u16 = [&](int v) {
        out.append(char(v & 0xff));
        out.append(char(v >> 8));
    };
    u16(indexed.width());
    u16(indexed.height());
    out.append(char(0xf7));  // a global table of 256 entries
    out.append(char(0));
    out.append(char(0));
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < indexed.colorCount() ? indexed.color(i) : 0;
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    out.append(char(0x2c));
    u16(0);
    u16(0);
    u16(indexed.width());
    u16(indexed.height());
    out.append(char(0));
    out.append(char(8));  // LZW minimum code size

    QByteArray codes;
    std::uint32_t bits = 0;
    int count = 0;
    auto put = [&](int code) {
        bits |= std::uint32_t(code) << count;
        count += 9;
        while (count >= 8) {
            codes.append(char(bits & 0xff));
            bits >>= 8;
            count -= 8;
        }
    };
    int sinceClear = 0;
    put(256);
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x) {
            if (sinceClear == 250) {
                put(256);
                sinceClear = 0;
            }
            put(indexed.pixelIndex(x, y));
            ++sinceClear;
        }
    put(257);
    if (count > 0)
        codes.append(char(bits & 0xff));
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const qsizetype length = std::min<qsizetype>(255, codes.size() - at);
        out.append(char(length));
        out.append(codes.mid(at, length));
    }
    out.append(char(0));
    out.append(char(0x3b));
    return out;
}

}  // namespace

QByteArray encoded(const QImage& image, const char* format) {
    if (std::string_view(format) == "GIF")
        return gif(image);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        throw std::runtime_error(std::string("cannot encode a test picture as ") + format);
    return bytes;
}

namespace {

void putLe(std::string& out, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

}  // namespace

std::string bmpFile(const BmpHeader& h, const std::string& pixels) {
    const std::uint32_t entries = h.bits <= 8 ? (h.coloursUsed ? h.coloursUsed : 1u << h.bits) : 0;
    const std::uint32_t offset = 14 + 40 + entries * 4;
    const std::uint32_t stride = (static_cast<std::uint32_t>(h.width) * h.bits + 31) / 32 * 4;
    const std::uint32_t imageSize =
        h.imageSize ? h.imageSize
                    : (h.compression == 0 ? stride * static_cast<std::uint32_t>(std::abs(h.height))
                                          : static_cast<std::uint32_t>(pixels.size()));
    std::string out = "BM";
    putLe(out, offset + static_cast<std::uint32_t>(pixels.size()), 4);
    putLe(out, 0, 4);
    putLe(out, offset, 4);
    putLe(out, 40, 4);
    putLe(out, static_cast<std::uint32_t>(h.width), 4);
    putLe(out, static_cast<std::uint32_t>(h.height), 4);
    putLe(out, 1, 2);
    putLe(out, h.bits, 2);
    putLe(out, h.compression, 4);
    putLe(out, imageSize, 4);
    putLe(out, 2835, 4);
    putLe(out, 2835, 4);
    putLe(out, h.coloursUsed, 4);
    putLe(out, h.important, 4);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const auto grey = static_cast<std::uint8_t>(entries > 1 ? i * 255 / (entries - 1) : 0);
        putLe(out, grey | (grey << 8) | (grey << 16), 4);
    }
    return out + pixels;
}

std::string rle8Rows(int width, int height, std::uint8_t index) {
    std::string out;
    for (int y = 0; y < height; ++y) {
        for (int left = width; left > 0; left -= 255) {
            out.push_back(static_cast<char>(std::min(left, 255)));
            out.push_back(static_cast<char>(index));
        }
        out += std::string("\0\0", 2);  // end of line
    }
    out += std::string("\0\1", 2);  // end of bitmap
    return out;
}

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "quenlark-converter-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace quenlark::converter::testing
