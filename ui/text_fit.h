#pragma once

#include <QFont>
#include <QSize>
#include <QString>
#include <optional>

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

// The box that text must fit in `font` (by default the control's): a label's
// inside its frame, margin and indent, a button's less its frame, a radio
// button's less its indicator, a frame's less its border.
QSize textRoom(const QWidget& control, std::optional<QFont> font = std::nullopt);

// Makes the control's font smaller, a pixel at a time, until its text fits
// its room (textFits), stopping at 6 pixels; a face that cannot be drawn
// smaller gives way to one that can. A host without the layout's font sets
// its closest family wider, a long path makes a long status, and a cut-off
// text is worse than a smaller one.
void shrinkFontToFit(QWidget& control);

// shrinkFontToFit for every control of `window` that shows a text.
void shrinkTextsToFit(QWidget& window);

}  // namespace quenlark
