#pragma once

#include <QIcon>
#include <QImage>

namespace quenlark {

// The program's icon, drawn here and nowhere else: a monitor showing a
// sunrise, the kind of screen the program manages, in the 16 colours of the
// VGA palette plus a transparent background. Drawn for 32 x 32 pixels; other
// sizes (the desktop's icon theme, made at build time by quenlark-icon) scale
// the same drawing.
QImage programIconImage(int size = 32);
QIcon programIcon();

}  // namespace quenlark
