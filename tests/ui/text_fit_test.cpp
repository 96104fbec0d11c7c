#include <QLabel>
#include <QTest>
#include <cmath>

#include "program_fonts.h"
#include "text_fit.h"

using namespace quenlark;

class TextFitTest : public QObject {
    Q_OBJECT

  private slots:
    void wrappedLinesMustKeepTheirBaselinesInTheBox() {
        QFont font = layoutFont("Tahoma", 9.75);
        // Unrounded metrics: a baseline at 12.06 pixels does not fit 12; the
        // layout sets its lines whole pixels apart.
        QFontMetricsF metrics(font);
        const QString word = "colors";
        const qreal width = std::ceil(metrics.horizontalAdvance(word)) + 2;
        const auto box = [](qreal w, qreal h) { return QSize(int(w), int(std::ceil(h))); };
        QVERIFY(textFits(word, font, box(width, metrics.ascent())));
        QVERIFY(!textFits(word, font, box(width, metrics.ascent() - 1)));
        QVERIFY(!textFits(word, font, box(width - 4, 100)));  // one word cannot wrap
        // Two words on two lines: the second baseline must be inside too.
        const QSize twoLines = box(width, std::ceil(metrics.height()) + metrics.ascent());
        QVERIFY(textFits(word + " " + word, font, twoLines));
        QVERIFY(!textFits(word + " " + word + " " + word, font, twoLines));
        QVERIFY(textFits("", font, QSize(1, 1)));
    }

    void labelFontShrinksUntilTheTextFits() {
        QLabel label("This program looks and works best in 16 bit color and above.");
        label.setFont(layoutFont("Tahoma", 9.75));
        label.resize(120, 30);
        shrinkFontToFit(label);
        QVERIFY(label.font().pixelSize() < 13);
        QVERIFY(label.font().pixelSize() >= 6);
        QVERIFY(textFits(label.text(), label.font(), label.size()));
        QFont onePixelLarger = label.font();
        onePixelLarger.setPixelSize(label.font().pixelSize() + 1);
        QVERIFY(!textFits(label.text(), onePixelLarger, label.size()));
    }

    void fittingTextKeepsItsFont() {
        QLabel label("Okay");
        label.setFont(layoutFont("Arial", 12, true));
        label.resize(200, 40);
        shrinkFontToFit(label);
        QCOMPARE(label.font().pixelSize(), 16);
    }

    void hopelessTextStopsAtTheSmallestSize() {
        QLabel label("Supercalifragilisticexpialidocious");
        label.setFont(layoutFont("Tahoma", 9.75));
        label.resize(10, 10);
        shrinkFontToFit(label);
        QCOMPARE(label.font().pixelSize(), 6);
    }
};

QTEST_MAIN(TextFitTest)
#include "text_fit_test.moc"
