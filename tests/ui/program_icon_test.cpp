// The program's icon at every size the desktop's icon theme gets: the same
// drawing, square, on a transparent background, in the 16 VGA colours, and
// with its outline whole even where a pixel of the 32-pixel drawing is less
// than a pixel of the icon.
#include <QImage>
#include <QTest>

#include "program_icon.h"

using namespace quenlark;

namespace {

bool isVgaColour(QRgb colour) {
    static const QList<QRgb> vga = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return vga.contains(colour);
}

}  // namespace

class ProgramIconTest : public QObject {
    Q_OBJECT

  private slots:
    void everyThemeSizeIsTheSameDrawing_data() {
        QTest::addColumn<int>("size");
        for (const int size : {16, 32, 48, 64, 128, 256})
            QTest::addRow("%dx%d", size, size) << size;
    }
    void everyThemeSizeIsTheSameDrawing() {
        QFETCH(int, size);
        const QImage icon = programIconImage(size).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.size(), QSize(size, size));

        for (const QPoint corner :
             {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size - 1, size - 1)})
            QCOMPARE(qAlpha(icon.pixel(corner)), 0);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QRgb pixel = icon.pixel(x, y);
                if (qAlpha(pixel) != 0 && (qAlpha(pixel) != 255 || !isVgaColour(pixel)))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is #%3, not a VGA colour")
                                         .arg(x)
                                         .arg(y)
                                         .arg(pixel, 8, 16, QChar('0'))));
            }

        // The top edge of the monitor's case: black in every column across
        // the screen, within the first few rows.
        const auto at = [size](int drawn) { return drawn * size / 32; };
        for (int x = at(4); x < at(28); ++x) {
            bool outlined = false;
            for (int y = 0; y <= at(3); ++y)
                outlined = outlined || icon.pixel(x, y) == qRgb(0, 0, 0);
            QVERIFY2(outlined, qPrintable(QStringLiteral("no outline above column %1").arg(x)));
        }
        // The sun in the middle of the screen, the night sky at its top.
        QCOMPARE(icon.pixel(at(16), at(13)), qRgb(255, 255, 0));
        QCOMPARE(icon.pixel(at(16), at(8)), qRgb(0, 0, 128));
    }

    void windowIconIsTheDrawingAtItsOwnSize() {
        QCOMPARE(programIconImage(), programIconImage(32));
    }
};

QTEST_GUILESS_MAIN(ProgramIconTest)
#include "program_icon_test.moc"
