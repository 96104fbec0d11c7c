#pragma once

#include <QFont>
#include <QSize>
#include <QString>

class QLabel;
class QWidget;

namespace quenlark {

// Whether `text` in `font`, wrapped at word boundaries to `box`'s width, keeps
// every word within that width and every line's baseline within its height.
// Descenders of the last line may reach past the bottom, as they do in the
// Windows layouts the sizes come from.
bool textFits(const QString& text, const QFont& font, const QSize& box);

// The text a label, button or frame shows; empty for other widgets.
QString controlText(const QWidget& control);

// The box that text must fit: a label's whole size, a button's less its
// frame, a radio button's less its indicator, a frame's less its border.
QSize textRoom(const QWidget& control);

// Makes the control's font smaller, a pixel at a time, until its text fits
// its room (textFits), stopping at 6 pixels. A host without the layout's font
// sets its closest family wider, and a cut-off text is worse than a smaller one.
void shrinkFontToFit(QWidget& control);

// shrinkFontToFit for every control of `window` that shows a text.
void shrinkTextsToFit(QWidget& window);

}  // namespace quenlark
