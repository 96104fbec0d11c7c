#include "form3.h"

#include <QMouseEvent>
#include <QPainter>

#include "program_icon.h"

namespace quenlark {

namespace {

// The size of a logo.
constexpr int kViewerWidth = 320;
constexpr int kViewerHeight = 400;

}  // namespace

Form3::Form3() : QWidget(nullptr, Qt::Window) {
    setObjectName("Form3");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("PictureView");
    setWindowIcon(programIcon());
    setFixedSize(kViewerWidth, kViewerHeight);
    setAutoFillBackground(true);
    setCursor(Qt::PointingHandCursor);
}

void Form3::showPicture(const QImage& picture, const QString& path) {
    picture_ = picture;
    setWindowTitle(path);
    setAccessibleName("Full-size view of " + path);
    update();
}

void Form3::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), picture_);
}

void Form3::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        close();
}

}  // namespace quenlark
