#include "program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quenlark {

namespace {

// The size the icon is drawn for; every other size is the same drawing scaled.
constexpr int kDrawnSize = 32;

// The 16 colours every Windows 9x display can show.
QList<QRgb> vgaPalette() {
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

}  // namespace

QImage programIconImage(int size) {
    QImage canvas(size, size, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    // The outline is one pixel of the 32-pixel drawing wide, so that the large
    // icons keep the look of the small one; below 32 pixels it stays one
    // pixel wide, or it would fall between the pixels and vanish, and moves
    // half a pixel so that it lands on pixels and leaves the corners clear.
    if (size < kDrawnSize)
        p.translate(0.5, 0.5);
    p.scale(size / double(kDrawnSize), size / double(kDrawnSize));
    QPen outline(QColor(0, 0, 0), 1.0);
    outline.setCosmetic(size < kDrawnSize);

    // Monitor case, stand and foot.
    p.setPen(outline);
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(1, 1, 29, 23);
    p.drawRect(11, 25, 9, 2);
    p.drawRect(6, 28, 19, 2);

    // The screen: a night sky over a yellow sun and green hills.
    const QRect screen(4, 4, 24, 17);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    p.drawRect(screen);
    p.setBrush(QColor(0, 0, 255));
    p.drawRect(screen.adjusted(0, 8, 0, 0));
    p.setClipRect(screen);
    p.setBrush(QColor(255, 255, 0));
    p.drawEllipse(QPoint(16, 15), 6, 6);
    p.setBrush(QColor(0, 128, 0));
    QPainterPath hills;
    hills.moveTo(4, 21);
    hills.cubicTo(8, 14, 14, 19, 18, 17);
    hills.cubicTo(22, 15, 25, 16, 28, 18);
    hills.lineTo(28, 21);
    hills.closeSubpath();
    p.drawPath(hills);
    p.setClipping(false);
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(7, 6, 1, 1);
    p.drawRect(23, 7, 1, 1);
    p.drawRect(12, 8, 1, 1);
    p.end();

    // Down to the 16 colours, keeping the transparent corners.
    QImage icon =
        canvas.convertToFormat(QImage::Format_Indexed8, vgaPalette(), Qt::ThresholdDither);
    QList<QRgb> colours = icon.colorTable();
    colours.append(qRgba(0, 0, 0, 0));
    icon.setColorTable(colours);
    const int transparent = static_cast<int>(colours.size()) - 1;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (qAlpha(canvas.pixel(x, y)) < 128)
                icon.setPixel(x, y, transparent);
    return icon;
}

QIcon programIcon() {
    return QIcon(QPixmap::fromImage(programIconImage()));
}

}  // namespace quenlark
