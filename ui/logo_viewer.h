#pragma once

#include <QImage>
#include <QWidget>

namespace quenlark {

// The full-size viewer: one logo at its real size, drawn unscaled from the
// top-left corner. A click on the picture closes it. It is a window of its
// own, independent of the main window, and deletes itself when closed.
class LogoViewer : public QWidget {
    Q_OBJECT
  public:
    LogoViewer();

    // Takes the picture and shows `path`, as the program stored it, as caption.
    void showPicture(const QImage& picture, const QString& path);
    const QImage& picture() const { return picture_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QImage picture_;
};

}  // namespace quenlark
