#pragma once

#include <QLine>
#include <QRect>

namespace quenlark {

// The window layouts are drawn up in twips; at 96 dots per inch a pixel is 15
// of them, and every position in the layouts is a whole number of pixels.
inline constexpr int kTwipsPerPixel = 15;

constexpr int fromTwips(int twips) {
    return twips / kTwipsPerPixel;
}

constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(fromTwips(left), fromTwips(top), fromTwips(width), fromTwips(height));
}

// A horizontal line from (x1, y) to (x2, y) as the rectangle of a one-pixel
// line widget.
constexpr QRect twipsHorizontalLine(int x1, int x2, int y) {
    return QRect(fromTwips(x1), fromTwips(y), fromTwips(x2 - x1), 1);
}

}  // namespace quenlark
