#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>

namespace quenlark {

// A logo of the program's own drawing for its demo drive: a gradient from
// `top` down to black with `caption` across it, as the 129,078-byte logo file
// Windows takes. With `animated`, a colour bar at the bottom runs as the
// start-up screen's palette turns.
QByteArray sampleLogoBitmap(const QString& caption, const QColor& top, bool animated = false);

}  // namespace quenlark
