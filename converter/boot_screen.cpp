#include "boot_screen.h"

#include <algorithm>

namespace quenlark::converter {

namespace {

// A monitor shows a rim of border colour around the picture; a fortieth of
// the picture's width looks like one.
int borderFor(int pictureWidth) {
    return std::max(2, pictureWidth / 40);
}

int heightFor(int pictureWidth) {
    return (pictureWidth * 3 + 2) / 4;
}

}  // namespace

int stepsPerTurn(const LogoPicture& logo) {
    const int first = logo.firstCycled;
    return first > 0 && first < kPaletteSize ? kPaletteSize - first : 1;
}

ScreenLayout screenAround(int pictureWidth) {
    const int border = borderFor(pictureWidth);
    return {QRect(border, border, pictureWidth, heightFor(pictureWidth)), border};
}

ScreenLayout screenIn(QSize area) {
    auto fits = [&](int width) {
        const int rim = 2 * borderFor(width);
        return width + rim <= area.width() && heightFor(width) + rim <= area.height();
    };
    // The rim grows with the picture, so the widest picture that fits is
    // searched for; the smallest is drawn even where nothing fits.
    int low = 4, high = std::max(4, area.width());
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (fits(middle))
            low = middle;
        else
            high = middle - 1;
    }
    ScreenLayout layout = screenAround(low);
    const QRect screen = layout.screen();
    layout.picture.translate((area.width() - screen.width()) / 2,
                             (area.height() - screen.height()) / 2);
    return layout;
}

}  // namespace quenlark::converter
