#include "screen_fit.h"

#include <algorithm>
#include <cmath>

namespace quenlark::converter {

namespace {

constexpr double kScreenAspect = 4.0 / 3.0;

// Blends premultiplied `pixel` over the opaque `under`.
QRgb over(QRgb pixel, QRgb under) {
    const int alpha = qAlpha(pixel);
    if (alpha == 255)
        return pixel | 0xff000000u;
    const int rest = 255 - alpha;
    auto mix = [&](int top, int bottom) { return top + (bottom * rest + 127) / 255; };
    return qRgb(mix(qRed(pixel), qRed(under)), mix(qGreen(pixel), qGreen(under)),
                mix(qBlue(pixel), qBlue(under)));
}

}  // namespace

QRectF sourceArea(QSize picture, FitMode mode) {
    const QRectF whole(0, 0, picture.width(), picture.height());
    if (mode != FitMode::Fill || picture.isEmpty())
        return whole;
    const double aspect = double(picture.width()) / picture.height();
    if (aspect > kScreenAspect) {
        const double width = picture.height() * kScreenAspect;
        return QRectF((picture.width() - width) / 2, 0, width, picture.height());
    }
    const double height = picture.width() / kScreenAspect;
    return QRectF(0, (picture.height() - height) / 2, picture.width(), height);
}

QRect logoArea(QSize picture, FitMode mode) {
    const QRect whole(0, 0, kLogoWidth, kLogoHeight);
    if (mode != FitMode::Fit || picture.isEmpty())
        return whole;
    const double aspect = double(picture.width()) / picture.height();
    if (aspect > kScreenAspect) {
        // Full width; the height that keeps the shape on a 4:3 screen.
        const int height = std::max(1, int(std::lround(kLogoHeight * kScreenAspect / aspect)));
        return QRect(0, (kLogoHeight - height) / 2, kLogoWidth, height);
    }
    const int width = std::max(1, int(std::lround(kLogoWidth * aspect / kScreenAspect)));
    return QRect((kLogoWidth - width) / 2, 0, width, kLogoHeight);
}

QImage fitToLogo(const QImage& picture, FitMode mode, Rgb border) {
    const QRgb borderColour = qRgb(border.r, border.g, border.b);
    QImage logo(kLogoWidth, kLogoHeight, QImage::Format_RGB32);
    logo.fill(borderColour);
    if (picture.isNull())
        return logo;

    const QRect area = sourceArea(picture.size(), mode).toAlignedRect();
    const QRect target = logoArea(picture.size(), mode);
    // A photo is large: no copy of it unless a part is cut out, and no
    // conversion unless it has transparency, which must be premultiplied so
    // that the filter does not bleed the colour of transparent pixels into
    // their neighbours.
    QImage source = area == picture.rect() ? picture : picture.copy(area);
    if (source.hasAlphaChannel())
        source.convertTo(QImage::Format_ARGB32_Premultiplied);
    // Qt's smooth scaling averages every source pixel under each target pixel
    // when it shrinks (an area filter), so a photo many times the logo's size
    // comes out without aliasing; it interpolates bilinearly when it enlarges.
    // Width and height are scaled by different factors: that is the squeeze.
    const QImage scaled =
        source.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < scaled.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(scaled.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(logo.scanLine(target.y() + y)) + target.x();
        for (int x = 0; x < scaled.width(); ++x)
            to[x] = over(from[x], borderColour);
    }
    return logo;
}

}  // namespace quenlark::converter
