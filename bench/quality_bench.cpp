// How close the 256-colour logo comes to the resampled picture, for the
// converter's libimagequant reduction beside two plain baselines: median cut
// and a fixed 6 x 6 x 6 palette. Run it; it prints a table.
//   quality_bench [--save FOLDER]   (FOLDER gets a PNG of each result)
#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "photo.h"
#include "quantize.h"
#include "screen_fit.h"

using namespace quenlark::converter;

namespace {

using Palette = std::vector<QRgb>;

int nearest(const Palette& palette, QRgb c) {
    int best = 0, bestDistance = INT32_MAX;
    for (int i = 0; i < int(palette.size()); ++i) {
        const int dr = qRed(c) - qRed(palette[i]), dg = qGreen(c) - qGreen(palette[i]),
                  db = qBlue(c) - qBlue(palette[i]);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

QImage mapped(const QImage& picture, const Palette& palette) {
    QImage out(picture.size(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            out.setPixel(x, y, palette[nearest(palette, picture.pixel(x, y))]);
    return out;
}

// The textbook median cut: split the box with the widest channel at its
// median until there are `colours` boxes; each box's mean is an entry.
QImage medianCut(const QImage& picture, int colours) {
    std::vector<QRgb> pixels;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            pixels.push_back(picture.pixel(x, y));
    struct Box {
        std::size_t begin, end;
    };
    auto channel = [](QRgb c, int k) { return k == 0 ? qRed(c) : k == 1 ? qGreen(c) : qBlue(c); };
    auto widest = [&](const Box& b, int* range) {
        int best = 0;
        *range = -1;
        for (int k = 0; k < 3; ++k) {
            int lo = 255, hi = 0;
            for (std::size_t i = b.begin; i < b.end; ++i) {
                lo = std::min(lo, channel(pixels[i], k));
                hi = std::max(hi, channel(pixels[i], k));
            }
            if (hi - lo > *range) {
                *range = hi - lo;
                best = k;
            }
        }
        return best;
    };
    std::vector<Box> boxes{{0, pixels.size()}};
    while (int(boxes.size()) < colours) {
        int pick = -1, pickRange = 0, pickChannel = 0;
        for (int i = 0; i < int(boxes.size()); ++i) {
            int range = 0;
            const int k = widest(boxes[i], &range);
            if (boxes[i].end - boxes[i].begin > 1 && range > pickRange) {
                pick = i;
                pickRange = range;
                pickChannel = k;
            }
        }
        if (pick < 0)
            break;
        Box box = boxes[pick];
        const std::size_t middle = box.begin + (box.end - box.begin) / 2;
        std::nth_element(
            pixels.begin() + box.begin, pixels.begin() + middle, pixels.begin() + box.end,
            [&](QRgb a, QRgb b) { return channel(a, pickChannel) < channel(b, pickChannel); });
        boxes[pick] = {box.begin, middle};
        boxes.push_back({middle, box.end});
    }
    Palette palette;
    for (const Box& b : boxes) {
        double r = 0, g = 0, bl = 0;
        for (std::size_t i = b.begin; i < b.end; ++i) {
            r += qRed(pixels[i]);
            g += qGreen(pixels[i]);
            bl += qBlue(pixels[i]);
        }
        const double n = double(b.end - b.begin);
        palette.push_back(
            qRgb(int(std::lround(r / n)), int(std::lround(g / n)), int(std::lround(bl / n))));
    }
    return mapped(picture, palette);
}

QImage fixed666(const QImage& picture) {
    QImage out(picture.size(), QImage::Format_RGB32);
    auto level = [](int v) { return (v * 5 + 127) / 255 * 51; };
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = picture.pixel(x, y);
            out.setPixel(x, y, qRgb(level(qRed(c)), level(qGreen(c)), level(qBlue(c))));
        }
    return out;
}

QImage fromLogo(const LogoPicture& logo) {
    QImage out(kLogoWidth, kLogoHeight, QImage::Format_RGB32);
    for (int y = 0; y < kLogoHeight; ++y)
        for (int x = 0; x < kLogoWidth; ++x) {
            const Rgb c = logo.palette[logo.at(x, y)];
            out.setPixel(x, y, qRgb(c.r, c.g, c.b));
        }
    return out;
}

// 3 x 3 box blur: roughly how the eye, at a normal distance, merges the dots
// of a dither.
QImage blurred(const QImage& in) {
    QImage out(in.size(), QImage::Format_RGB32);
    for (int y = 0; y < in.height(); ++y)
        for (int x = 0; x < in.width(); ++x) {
            int r = 0, g = 0, b = 0, n = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    if (xx < 0 || yy < 0 || xx >= in.width() || yy >= in.height())
                        continue;
                    const QRgb c = in.pixel(xx, yy);
                    r += qRed(c);
                    g += qGreen(c);
                    b += qBlue(c);
                    ++n;
                }
            out.setPixel(x, y, qRgb(r / n, g / n, b / n));
        }
    return out;
}

// Mean Euclidean distance in RGB (0..441) between two pictures.
double meanError(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const double dr = qRed(p) - qRed(q), dg = qGreen(p) - qGreen(q),
                         db = qBlue(p) - qBlue(q);
            sum += std::sqrt(dr * dr + dg * dg + db * db);
        }
    return sum / (double(a.width()) * a.height());
}

int distinctColours(const QImage& image) {
    std::vector<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.push_back(image.pixel(x, y));
    std::sort(colours.begin(), colours.end());
    return int(std::unique(colours.begin(), colours.end()) - colours.begin());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString saveTo;
    if (argc == 3 && QString::fromLocal8Bit(argv[1]) == QStringLiteral("--save"))
        saveTo = QString::fromLocal8Bit(argv[2]);

    struct Method {
        const char* name;
        std::function<QImage(const QImage&)> run;
    };
    const Method methods[] = {
        {"median cut, 256 (baseline)", [](const QImage& f) { return medianCut(f, 256); }},
        {"fixed 6x6x6, 216", [](const QImage& f) { return fixed666(f); }},
        {"libimagequant, no dither",
         [](const QImage& f) { return fromLogo(*quantize(f, 256, {}, kLogoHeight, 0.0f)); }},
        {"libimagequant, dithered (converter)",
         [](const QImage& f) { return fromLogo(*quantize(f, 256, {}, kLogoHeight, 1.0f)); }},
    };
    constexpr int kPictures = 3;
    std::array<std::array<double, 2>, std::size(methods)> totals{};
    std::printf("Mean colour error (Euclidean RGB, 0-441) against the resampled 320x400 picture\n");
    std::printf("of a synthetic 1600x1200 photo; 'seen' compares both after a 3x3 blur.\n\n");
    for (int seed = 1; seed <= kPictures; ++seed) {
        const QImage fitted = fitToLogo(quenlark::bench::syntheticPhoto(1600, 1200, unsigned(seed)),
                                        FitMode::Fit, {});
        const QImage fittedSeen = blurred(fitted);
        std::printf("photo %d: %d distinct colours after resampling\n", seed,
                    distinctColours(fitted));
        for (std::size_t m = 0; m < std::size(methods); ++m) {
            const QImage result = methods[m].run(fitted);
            const double error = meanError(result, fitted);
            const double seen = meanError(blurred(result), fittedSeen);
            totals[m][0] += error;
            totals[m][1] += seen;
            std::printf("  %-38s pixel %6.2f   seen %6.2f\n", methods[m].name, error, seen);
            if (!saveTo.isEmpty())
                result.save(
                    QDir(saveTo).filePath(QStringLiteral("photo%1-method%2.png").arg(seed).arg(m)));
        }
        if (!saveTo.isEmpty())
            fitted.save(QDir(saveTo).filePath(QStringLiteral("photo%1-fitted.png").arg(seed)));
    }
    std::printf("\nmean over %d photos        pixel  ratio     seen  ratio (to median cut)\n",
                kPictures);
    for (std::size_t m = 0; m < std::size(methods); ++m)
        std::printf("  %-38s %6.2f  %5.2f   %6.2f  %5.2f\n", methods[m].name,
                    totals[m][0] / kPictures, totals[m][0] / totals[0][0], totals[m][1] / kPictures,
                    totals[m][1] / totals[0][1]);
    return 0;
}
