#include "text_fit.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTextLayout>

namespace quenlark {

namespace {

constexpr int kSmallestPixelSize = 6;
// What a control's own drawing takes from the width its text can use.
constexpr int kRadioIndicatorWidth = 18;
constexpr int kButtonFrameWidth = 8;
constexpr int kFrameBorderWidth = 16;

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

QString controlText(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control))
        return label->pixmap().isNull() ? label->text() : QString();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control))
        return button->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(&control))
        return frame->title();
    return {};
}

QSize textRoom(const QWidget& control) {
    QSize room = control.size();
    if (qobject_cast<const QRadioButton*>(&control))
        room.rwidth() -= kRadioIndicatorWidth;
    else if (qobject_cast<const QAbstractButton*>(&control))
        room.rwidth() -= kButtonFrameWidth;
    else if (qobject_cast<const QGroupBox*>(&control))
        room.rwidth() -= kFrameBorderWidth;
    else if (const auto* label = qobject_cast<const QLabel*>(&control))
        room = label->contentsRect().size();
    return room;
}

void shrinkFontToFit(QWidget& control) {
    const QString text = controlText(control);
    const QSize room = textRoom(control);
    QFont font = control.font();
    if (font.pixelSize() <= 0)
        font.setPixelSize(QFontInfo(font).pixelSize());
    while (font.pixelSize() > kSmallestPixelSize && !textFits(text, font, room))
        font.setPixelSize(font.pixelSize() - 1);
    control.setFont(font);
}

void shrinkTextsToFit(QWidget& window) {
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (!controlText(*control).isEmpty())
            shrinkFontToFit(*control);
    }
}

}  // namespace quenlark
