#pragma once

#include <QFont>
#include <QSize>
#include <QString>

class QLabel;

namespace quenlark {

// Whether `text` in `font`, wrapped at word boundaries to `box`'s width, keeps
// every word within that width and every line's baseline within its height.
// Descenders of the last line may reach past the bottom, as they do in the
// Windows layouts the sizes come from.
bool textFits(const QString& text, const QFont& font, const QSize& box);

// Makes the label's font smaller, a pixel at a time, until its text fits the
// label (textFits), stopping at 6 pixels. A host without the layout's font
// sets its closest family wider, and a cut-off text is worse than a smaller one.
void shrinkFontToFit(QLabel& label);

}  // namespace quenlark
