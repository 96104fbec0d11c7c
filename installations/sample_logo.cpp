#include "sample_logo.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include "animated_band.h"
#include "program_fonts.h"

namespace quenlark {

namespace {

using converter::kLogoHeight;
using converter::kLogoWidth;

// The gradient's own colours and a ramp of greys for the lettering, leaving
// the entries from the animated bar's first on for the bar.
constexpr int kGreys = 16;
constexpr int kGradientColours = converter::kDefaultFirstCycled - kGreys;

// Black comes first: Windows paints the screen's border in entry 0.
QList<QRgb> paletteFor(const QColor& top) {
    QList<QRgb> colours;
    for (int i = 0; i < kGradientColours; ++i) {
        const double f = double(i) / (kGradientColours - 1);
        colours << qRgb(qRound(top.red() * f), qRound(top.green() * f), qRound(top.blue() * f));
    }
    for (int i = 0; i < kGreys; ++i) {
        const int v = qRound(255.0 * i / (kGreys - 1));
        colours << qRgb(v, v, v);
    }
    return colours;
}

QImage drawing(const QString& caption, const QColor& top) {
    QImage canvas(kLogoWidth, kLogoHeight, QImage::Format_RGB32);
    QPainter p(&canvas);
    QLinearGradient gradient(0, 0, 0, kLogoHeight);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, Qt::black);
    p.fillRect(canvas.rect(), gradient);

    p.setPen(Qt::white);
    p.setFont(layoutFont("Tahoma", 30, true));
    p.drawText(QRect(0, 120, kLogoWidth, 80), Qt::AlignCenter, caption);
    p.setPen(QColor(192, 192, 192));
    p.setFont(layoutFont("Tahoma", 12));
    p.drawText(QRect(0, 200, kLogoWidth, 40), Qt::AlignCenter, "Quenlark sample logo");
    return canvas;
}

}  // namespace

QByteArray sampleLogoBitmap(const QString& caption, const QColor& top, bool animated) {
    const QList<QRgb> colours = paletteFor(top);
    const QImage indexed = drawing(caption, top)
                               .convertToFormat(QImage::Format_Indexed8, colours,
                                                Qt::ThresholdDither | Qt::AvoidDither);
    converter::LogoPicture logo;
    for (int i = 0; i < colours.size(); ++i)
        logo.palette[i] = {static_cast<std::uint8_t>(qRed(colours[i])),
                           static_cast<std::uint8_t>(qGreen(colours[i])),
                           static_cast<std::uint8_t>(qBlue(colours[i]))};
    for (int y = 0; y < kLogoHeight; ++y) {
        const uchar* row = indexed.constScanLine(y);
        std::copy(row, row + kLogoWidth, logo.pixels.begin() + y * kLogoWidth);
    }
    if (animated)
        converter::drawBand(logo, converter::kDefaultFirstCycled);
    return QByteArray::fromStdString(converter::encodeLogo(logo));
}

}  // namespace quenlark
