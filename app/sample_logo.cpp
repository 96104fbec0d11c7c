#include "sample_logo.h"

#include <QBuffer>
#include <QLinearGradient>
#include <QPainter>

#include "program_fonts.h"

namespace quenlark {

namespace {

constexpr int kGradientColours = 240;
constexpr int kGreys = 16;

// The gradient's own colours and a ramp of greys for the lettering: 256 in all.
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

}  // namespace

QImage sampleLogo(const QString& caption, const QColor& top) {
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
    p.end();

    QImage logo = canvas.convertToFormat(QImage::Format_Indexed8, paletteFor(top),
                                         Qt::ThresholdDither | Qt::AvoidDither);
    // Windows wants the whole palette in the file, used or not.
    logo.setColorTable(paletteFor(top));
    return logo;
}

QByteArray sampleLogoBitmap(const QString& caption, const QColor& top) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    sampleLogo(caption, top).save(&buffer, "BMP");
    return bytes;
}

}  // namespace quenlark
