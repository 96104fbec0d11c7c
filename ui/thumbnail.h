#pragma once

#include <QLabel>

namespace quenlark {

// A slot's logo squeezed into its box on the slot's page. A click on it asks
// for the full-size view.
class Thumbnail : public QLabel {
    Q_OBJECT
  public:
    // `slotCaption` names the thumbnail for screen readers: "Wait logo".
    Thumbnail(const QString& slotCaption, QWidget* parent);

    // Shows `picture`, scaled to fill the box, loaded from `path`.
    void showPicture(const QImage& picture, const QString& path);
    void clearPicture();

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QString slotCaption_;
};

}  // namespace quenlark
