#include "about_banner.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "program_fonts.h"
#include "program_texts.h"

namespace quenlark {

namespace {

constexpr int kHorizon = 78;

void drawSky(QPainter& p) {
    QLinearGradient sky(0, 0, 0, kHorizon);
    sky.setColorAt(0.0, QColor(10, 16, 70));
    sky.setColorAt(0.55, QColor(92, 48, 128));
    sky.setColorAt(1.0, QColor(250, 150, 70));
    p.fillRect(0, 0, kAboutBannerWidth, kHorizon, sky);

    p.setPen(QColor(255, 255, 255, 200));
    for (QPoint star : {QPoint(14, 10), QPoint(40, 24), QPoint(70, 8), QPoint(112, 18),
                        QPoint(150, 6), QPoint(196, 14), QPoint(236, 9), QPoint(252, 27)})
        p.drawPoint(star);
}

void drawSun(QPainter& p) {
    const QPointF centre(64, kHorizon);
    QRadialGradient glow(centre, 46);
    glow.setColorAt(0.0, QColor(255, 236, 140, 220));
    glow.setColorAt(1.0, QColor(255, 160, 60, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, 46, 46);
    p.setBrush(QColor(255, 222, 80));
    p.drawEllipse(centre, 18, 18);
}

void drawHills(QPainter& p) {
    QPainterPath far;
    far.moveTo(0, kHorizon);
    far.cubicTo(50, 66, 110, 84, 160, 72);
    far.cubicTo(200, 64, 236, 70, kAboutBannerWidth, 74);
    far.lineTo(kAboutBannerWidth, kAboutBannerHeight);
    far.lineTo(0, kAboutBannerHeight);
    far.closeSubpath();
    p.setBrush(QColor(24, 86, 52));
    p.drawPath(far);

    QPainterPath near;
    near.moveTo(0, 96);
    near.cubicTo(70, 84, 140, 100, kAboutBannerWidth, 88);
    near.lineTo(kAboutBannerWidth, kAboutBannerHeight);
    near.lineTo(0, kAboutBannerHeight);
    near.closeSubpath();
    p.setBrush(QColor(12, 56, 34));
    p.drawPath(near);
}

// Three small screens, one for each logo the program looks after.
void drawScreens(QPainter& p) {
    const QColor faces[] = {QColor(70, 110, 200), QColor(40, 60, 140), QColor(20, 24, 60)};
    for (int i = 0; i < 3; ++i) {
        const QRect screen(186 + i * 24, 80 + (i % 2) * 2, 20, 24);
        p.setPen(QPen(QColor(230, 230, 230), 1));
        p.setBrush(faces[i]);
        p.drawRect(screen);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 222, 80));
        p.drawEllipse(QPointF(screen.center()) + QPointF(0.5, 4), 4 - i, 4 - i);
    }
}

void drawTitle(QPainter& p) {
    p.setFont(layoutFont("Arial", 24, true, true));
    const QRect title(100, 14, 156, 40);
    p.setPen(QColor(0, 0, 0, 160));
    p.drawText(title.translated(2, 2), Qt::AlignCenter, kProgramTitle);
    p.setPen(QColor(255, 246, 220));
    p.drawText(title, Qt::AlignCenter, kProgramTitle);

    p.setFont(layoutFont("Arial", 7.5, true));
    p.setPen(QColor(255, 226, 170));
    p.drawText(QRect(100, 52, 156, 14), Qt::AlignCenter, "boot and shutdown screens");
}

}  // namespace

QImage aboutBanner() {
    QImage banner(kAboutBannerWidth, kAboutBannerHeight, QImage::Format_RGB888);
    QPainter p(&banner);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawSky(p);
    drawSun(p);
    drawHills(p);
    drawScreens(p);
    drawTitle(p);
    p.end();
    return banner;
}

}  // namespace quenlark
