#include "text_fit.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTextLayout>

#include "program_fonts.h"

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

namespace {

// Where a label draws its text: inside its frame and margin, and, for a
// framed label with no indent of its own, half an "x" in from the sides it
// is aligned to, as QLabel does.
QSize labelTextRoom(const QLabel& label, const QFont& font) {
    const int margin = label.margin();
    QRect room = label.contentsRect().adjusted(margin, margin, -margin, -margin);
    int indent = label.indent();
    if (indent < 0 && label.frameWidth() > 0)
        indent = QFontMetrics(font).horizontalAdvance(QLatin1Char('x')) / 2 - margin;
    if (indent > 0) {
        const Qt::Alignment align = label.alignment();
        if (align & Qt::AlignLeft)
            room.setLeft(room.left() + indent);
        if (align & Qt::AlignRight)
            room.setRight(room.right() - indent);
        if (align & Qt::AlignTop)
            room.setTop(room.top() + indent);
        if (align & Qt::AlignBottom)
            room.setBottom(room.bottom() - indent);
    }
    return room.size();
}

}  // namespace

QSize textRoom(const QWidget& control, std::optional<QFont> font) {
    QSize room = control.size();
    if (qobject_cast<const QRadioButton*>(&control))
        room.rwidth() -= kRadioIndicatorWidth;
    else if (qobject_cast<const QAbstractButton*>(&control))
        room.rwidth() -= kButtonFrameWidth;
    else if (qobject_cast<const QGroupBox*>(&control))
        room.rwidth() -= kFrameBorderWidth;
    else if (const auto* label = qobject_cast<const QLabel*>(&control))
        room = labelTextRoom(*label, font.value_or(control.font()));
    return room;
}

void shrinkFontToFit(QWidget& control) {
    const QString text = controlText(control);
    QFont font = control.font();
    if (font.pixelSize() <= 0)
        font.setPixelSize(QFontInfo(font).pixelSize());
    const auto fits = [&] { return textFits(text, font, textRoom(control, font)); };
    if (fits())
        return;
    // A bitmap face such as Wine's MS Sans Serif has one size only: smaller
    // text needs a face that scales.
    const QFontInfo drawn(font);
    if (!QFontDatabase::isSmoothlyScalable(drawn.family(), drawn.styleName()))
        font.setFamily(kScalableFamily);
    while (font.pixelSize() > kSmallestPixelSize && !fits())
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
