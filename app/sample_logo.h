#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

namespace quenlark {

// A logo of the program's own drawing for its demo drive: a gradient from
// `top` down to black with `caption` across it, as a Windows bitmap of 320 x
// 400 pixels with a 256-colour palette, 129,078 bytes like every logo.
QImage sampleLogo(const QString& caption, const QColor& top);
QByteArray sampleLogoBitmap(const QString& caption, const QColor& top);

inline constexpr int kLogoWidth = 320;
inline constexpr int kLogoHeight = 400;
inline constexpr qsizetype kLogoFileSize = 129078;

}  // namespace quenlark
