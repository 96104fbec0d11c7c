#pragma once

#include <QIcon>
#include <QImage>

namespace quenlark {

// The program's icon, drawn here: a monitor showing a sunrise, the kind of
// screen the program manages. 32 x 32 pixels in the 16 colours of the VGA
// palette.
QImage programIconImage();
QIcon programIcon();

}  // namespace quenlark
