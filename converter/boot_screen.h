#pragma once

#include <QRect>
#include <QSize>

#include "logo_bitmap.h"

namespace quenlark::converter {

// The start-up screen as Windows shows a logo: the 320 x 400 picture over a
// 4:3 monitor with a rim in the colour of palette entry 0, its palette
// turning one step at each tick of the PC's timer. The boot preview draws it
// so, and the animation files are made so.

// One step of the palette rotation every 55 ms, the 18.2 Hz tick of the
// PC's timer: a 20-entry band goes round about once a second.
inline constexpr int kStepMilliseconds = 55;

// The steps after which the palette is as it started: the number of cycled
// entries, or 1 for a logo whose palette does not turn.
int stepsPerTurn(const LogoPicture& logo);

// Where the picture and the rim around it go.
struct ScreenLayout {
    QRect picture;  // 4:3
    int border = 0;
    QRect screen() const { return picture.adjusted(-border, -border, border, border); }
};

// The screen of a picture `pictureWidth` pixels wide, its rim's top-left
// corner at 0, 0.
ScreenLayout screenAround(int pictureWidth);
// The largest screen that fits in `area`, centred in it.
ScreenLayout screenIn(QSize area);

}  // namespace quenlark::converter
