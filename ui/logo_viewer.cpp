#include "logo_viewer.h"

#include <QMouseEvent>
#include <QPainter>

#include "program_icon.h"

namespace quenlark {

namespace {

// The size of a logo.
constexpr int kViewerWidth = 320;
constexpr int kViewerHeight = 400;

}  // namespace

LogoViewer::LogoViewer() : QWidget(nullptr, Qt::Window) {
    setObjectName("logoViewer");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("PictureView");
    setWindowIcon(programIcon());
    setFixedSize(kViewerWidth, kViewerHeight);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
}

void LogoViewer::showPicture(const QImage& picture, const QString& path) {
    picture_ = picture;
    setWindowTitle(path);
    setAccessibleName("Full-size view of " + path);
    update();
}

void LogoViewer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), picture_);
}

void LogoViewer::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        close();
}

}  // namespace quenlark
