#include "boot_preview.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "animated_band.h"
#include "converter.h"
#include "gif_frames.h"
#include "test_pictures.h"

using namespace quenlark;
using namespace quenlark::converter;

namespace {

QByteArray bytes(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

LogoPicture bandLogo(int first) {
    ConvertOptions options;
    options.bandFirst = first;
    options.border = {30, 60, 90};
    return *makeLogo(testing::gradientPicture(400, 300), options);
}

QRgb colour(const Rgb& c) {
    return qRgb(c.r, c.g, c.b);
}

// The first pixel of a picture `size` large that shows the logo pixel `at`.
QPoint firstScreenPixel(QPoint at, QSize size) {
    return QPoint((at.x() * size.width() + kLogoWidth - 1) / kLogoWidth,
                  (at.y() * size.height() + kLogoHeight - 1) / kLogoHeight);
}

}  // namespace

class BootPreviewTest : public QObject {
    Q_OBJECT
  private slots:
    void turnsThePaletteOneStepAtATime() {
        const LogoPicture logo = bandLogo(236);
        BootPreview preview;
        QVERIFY(preview.setLogoBytes(bytes(encodeLogo(logo))));
        QVERIFY(preview.problem().isEmpty());
        QCOMPARE(preview.firstCycled(), 236);

        const int y = kLogoHeight - 1;
        for (long long step : {1, 2, 19}) {
            while (preview.step() < step)
                preview.advance();
            const auto palette = rotatedPalette(logo, step);
            const QImage shown = preview.currentPicture();
            for (int x : {0, 100, 319})
                QCOMPARE(shown.pixel(x, y), colour(palette[logo.at(x, y)]));
            // The picture above the bar never changes.
            QCOMPARE(shown.pixel(160, 200), colour(logo.palette[logo.at(160, 200)]));
        }
        preview.advance();  // step 20: a full turn
        QCOMPARE(preview.currentPicture().pixel(0, y), colour(logo.palette[logo.at(0, y)]));
    }

    void animatesOnlyWhileShownAndAsked() {
        BootPreview preview;
        preview.setLogo(bandLogo(236));
        QVERIFY(!preview.isAnimating());  // not shown yet
        preview.show();
        QVERIFY(preview.isAnimating());
        QTRY_VERIFY_WITH_TIMEOUT(preview.step() >= 3, 2000);

        preview.setAnimationEnabled(false);
        QVERIFY(!preview.isAnimating());
        QCOMPARE(preview.step(), 0);
        preview.setAnimationEnabled(true);
        QVERIFY(preview.isAnimating());
        preview.hide();
        QVERIFY(!preview.isAnimating());
    }

    void stillLogoStaysStill() {
        ConvertOptions options;
        BootPreview preview;
        const LogoPicture logo = *makeLogo(testing::gradientPicture(400, 300), options);
        preview.setLogo(logo);
        preview.show();
        QVERIFY(!preview.isAnimating());
        const QImage before = preview.currentPicture();
        preview.advance();
        QCOMPARE(preview.currentPicture(), before);
    }

    void showsTheScreenIn4By3WithABorderInEntryZero() {
        BootPreview preview;
        preview.setLogo(bandLogo(236));
        for (QSize size : {QSize(672, 504), QSize(800, 400), QSize(300, 600)}) {
            preview.resize(size);
            const QRect picture = preview.pictureRect();
            QVERIFY2(
                std::abs(picture.width() * 3 - picture.height() * 4) <= 4,
                qPrintable(QStringLiteral("%1 x %2").arg(picture.width()).arg(picture.height())));
            QVERIFY(QRect(QPoint(), size)
                        .contains(picture.adjusted(-preview.borderWidth(), -preview.borderWidth(),
                                                   preview.borderWidth(), preview.borderWidth())));
            QVERIFY(std::abs(picture.center().x() - size.width() / 2) <= 1);
        }
        preview.resize(672, 504);
        const QImage shot = preview.grab().toImage();
        const QRect picture = preview.pictureRect();
        // The rim left of and above the picture is palette entry 0.
        QCOMPARE(shot.pixel(picture.left() - 1, picture.center().y()), qRgb(30, 60, 90));
        QCOMPARE(shot.pixel(picture.center().x(), picture.top() - 1), qRgb(30, 60, 90));
        QCOMPARE(preview.borderColour(), QColor(30, 60, 90));
    }

    void showsWhatWindowsWouldNotAndSaysWhy() {
        BootPreview preview;
        const std::string deep = testing::bmpFile({320, 400, 24}, std::string(320 * 3 * 400, 'x'));
        QVERIFY(preview.setLogoBytes(bytes(deep)));
        QVERIFY(preview.problem().contains(QStringLiteral("24 bits per pixel")));
        QCOMPARE(preview.firstCycled(), 0);
        QVERIFY(!preview.currentPicture().isNull());

        QVERIFY(preview.setLogoBytes(testing::encoded(testing::gradientPicture(64, 48), "PNG")));
        QVERIFY(preview.problem().contains(QStringLiteral("not a Windows bitmap")));

        QVERIFY(!preview.setLogoBytes(QByteArray("not a picture")));
        QVERIFY(!preview.problem().isEmpty());
        QVERIFY(preview.currentPicture().isNull());

        // A good logo after a bad file shows and says nothing.
        QVERIFY(preview.setLogoBytes(bytes(encodeLogo(bandLogo(250)))));
        QVERIFY(preview.problem().isEmpty());
    }

    void windowTellsWhatTurnsAndClosesOnEscape() {
        BootPreviewWindow window;
        window.showLogo(bytes(encodeLogo(bandLogo(236))), QStringLiteral("Start Up"));
        window.show();
        QVERIFY(window.windowTitle().contains(QStringLiteral("Start Up")));
        QVERIFY(window.note().contains(QStringLiteral("236 to 255")));
        QVERIFY(window.preview()->isAnimating());

        window.showLogo(bytes(encodeLogo(*makeLogo(testing::gradientPicture(40, 30), {}))),
                        QStringLiteral("Wait"));
        QVERIFY(window.note().contains(QStringLiteral("still picture")));

        window.showLogo(QByteArray("junk"), QStringLiteral("Shut Down"));
        QVERIFY(window.note().contains(QStringLiteral("no picture")));

        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    // Save Animation As writes what the preview shows: a preview of the GIF's
    // size fills it with the screen, and each frame is the preview's picture
    // at that step, the bar's colours turning.
    void windowSavesTheAnimationItShows() {
        testing::TempFolder folder;
        const auto path = [&](const char* name) {
            return QString::fromStdString((folder / name).string());
        };
        const LogoPicture logo = bandLogo(236);
        BootPreviewWindow window;
        auto* save = window.findChild<QPushButton*>(QStringLiteral("saveAnimationButton"));
        window.showLogo(bytes(encodeLogo(logo)), QStringLiteral("C:\\logo.sys"));
        QVERIFY(save->isEnabled());
        QVERIFY(window.saveAnimation(path("logo.gif")));
        QVERIFY(window.status().startsWith(QStringLiteral("Saved ")));
        const testing::GifFrames gif = testing::readGif(testing::readBytes(folder / "logo.gif"));
        QCOMPARE(gif.frames.size(), std::size_t(20));

        BootPreview preview;
        preview.setLogo(logo);
        preview.resize(gif.frames[0].size());
        const QRect picture = preview.pictureRect();
        QCOMPARE(picture.topLeft(), QPoint(preview.borderWidth(), preview.borderWidth()));
        QCOMPARE(picture.bottomRight() + QPoint(preview.borderWidth(), preview.borderWidth()),
                 gif.frames[0].rect().bottomRight());
        for (const QImage& frame : gif.frames) {
            const QImage shown = preview.currentPicture();
            for (QPoint at : {QPoint(0, 399), QPoint(150, 395), QPoint(319, 390), QPoint(160, 200)})
                QCOMPARE(frame.pixel(picture.topLeft() + firstScreenPixel(at, picture.size())),
                         shown.pixel(at));
            QCOMPARE(frame.pixel(0, 0), qRgb(30, 60, 90));
            preview.advance();
        }

        QVERIFY(!window.saveAnimation(path("none/logo.gif")));
        QVERIFY(window.status().contains(QStringLiteral("cannot be written")));
        window.showLogo(QByteArray("junk"), QStringLiteral("C:\\logo.sys"));
        QVERIFY(!save->isEnabled());
    }
};

QTEST_MAIN(BootPreviewTest)
#include "boot_preview_test.moc"
