#include "text_fit.h"

#include <QFontMetrics>
#include <QLabel>
#include <QTextLayout>

namespace quenlark {

namespace {

constexpr int kSmallestPixelSize = 6;

}  // namespace

bool textFits(const QString& text, const QFont& font, const QSize& box) {
    if (text.isEmpty())
        return true;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    qreal lowestBaseline = 0;
    bool wordsFit = true;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        line.setPosition(QPointF(0, y));
        // A word longer than the width still gets a line of its own, overflowing.
        if (line.naturalTextWidth() > box.width())
            wordsFit = false;
        lowestBaseline = y + line.ascent();
        y += line.height();
    }
    layout.endLayout();
    return wordsFit && lowestBaseline <= box.height();
}

void shrinkFontToFit(QLabel& label) {
    QFont font = label.font();
    if (font.pixelSize() <= 0)
        font.setPixelSize(QFontInfo(font).pixelSize());
    while (font.pixelSize() > kSmallestPixelSize && !textFits(label.text(), font, label.size()))
        font.setPixelSize(font.pixelSize() - 1);
    label.setFont(font);
}

}  // namespace quenlark
