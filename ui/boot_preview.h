#pragma once

#include <QByteArray>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <optional>

#include "logo_bitmap.h"

class QLabel;
class QPushButton;

namespace quenlark {

// A start-up or shut-down logo as Windows shows it: the 320 x 400 picture
// stretched over a 4:3 screen, the screen's border in the colour of palette
// entry 0, and the palette turning when the logo asks for it.
class BootPreview : public QWidget {
    Q_OBJECT
  public:
    explicit BootPreview(QWidget* parent = nullptr);

    // Shows the logo file in `bytes`. A file Windows would not show (another
    // format, depth or size) is still drawn when Qt can read it, without
    // animation, and problem() says why Windows would not show it. False when
    // there is nothing to draw at all.
    bool setLogoBytes(const QByteArray& bytes);
    void setLogo(const converter::LogoPicture& logo);
    void clear();

    // The logo shown; none for a file Windows would not show.
    const std::optional<converter::LogoPicture>& logo() const { return logo_; }
    // Why Windows would not show the current file; empty when it would.
    QString problem() const { return problem_; }
    // The first cycled palette entry, 0 for a still logo.
    int firstCycled() const { return logo_ ? logo_->firstCycled : 0; }

    // Off: the palette stays as the file has it.
    void setAnimationEnabled(bool enabled);
    bool isAnimating() const { return timer_.isActive(); }
    long long step() const { return step_; }
    // The logo as the screen shows it at the current step, 320 x 400.
    QImage currentPicture() const;
    // The colour around the picture.
    QColor borderColour() const;
    // Where the picture lands in the widget: the largest 4:3 area that
    // leaves room for the border around it.
    QRect pictureRect() const;
    int borderWidth() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  public slots:
    void advance();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void updateTimer();
    void refreshPicture();

    std::optional<converter::LogoPicture> logo_;
    QImage picture_;  // Indexed8 over logo_'s pixels, or a picture Windows would not show
    QString problem_;
    QTimer timer_;
    long long step_ = 0;
    bool animationEnabled_ = true;
};

// The boot preview in a window of its own, with a line that tells whether the
// logo animates or why Windows would not show it, and Save Animation As,
// which saves what it shows as an animated GIF. Escape closes it.
class BootPreviewWindow : public QWidget {
    Q_OBJECT
  public:
    explicit BootPreviewWindow(QWidget* parent = nullptr);

    // Shows the logo file in `bytes`; `caption` names it in the title bar.
    // `heading`, when given, opens the line under the picture: where the logo
    // comes from when that is not plain.
    void showLogo(const QByteArray& bytes, const QString& caption, const QString& heading = {});

    BootPreview* preview() const { return preview_; }
    QString note() const;

    // What Save Animation As... does once its file dialog has answered: the
    // animation of the logo shown, at the default size and length, written
    // to `path`. Says on the window's status line how it went.
    bool saveAnimation(const QString& path);
    QString status() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void saveAnimationAs();

    BootPreview* preview_;
    QLabel* note_;
    QLabel* status_;
    QPushButton* saveAnimationButton_;
    QString caption_;
};

}  // namespace quenlark
