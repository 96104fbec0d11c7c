#include "thumbnail.h"

#include <QMouseEvent>
#include <QPixmap>

namespace quenlark {

Thumbnail::Thumbnail(const QString& slotCaption, QWidget* parent)
    : QLabel(parent), slotCaption_(slotCaption) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setScaledContents(true);
    setToolTip("Click to view full size");
    clearPicture();
}

void Thumbnail::showPicture(const QImage& picture, const QString& path) {
    setPixmap(QPixmap::fromImage(picture));
    setAccessibleName(slotCaption_ + " logo: " + path);
}

void Thumbnail::clearPicture() {
    clear();
    setAccessibleName(slotCaption_ + " logo: none");
}

// A click is a press and a release on the picture, as with a button.
void Thumbnail::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

}  // namespace quenlark
