#include "boot_preview.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace quenlark {

using converter::kLogoHeight;
using converter::kLogoWidth;
using converter::LogoPicture;
using converter::Rgb;

namespace {

QList<QRgb> colourTable(const std::array<Rgb, converter::kPaletteSize>& palette) {
    QList<QRgb> table;
    table.reserve(converter::kPaletteSize);
    for (const Rgb& c : palette)
        table.append(qRgb(c.r, c.g, c.b));
    return table;
}

}  // namespace

BootPreview::BootPreview(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("bootPreview"));
    setAccessibleName(QStringLiteral("The logo as Windows shows it at boot"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    timer_.setInterval(kStepMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &BootPreview::advance);
}

bool BootPreview::setLogoBytes(const QByteArray& bytes) {
    auto logo = converter::decodeLogo(std::string_view(bytes.constData(), bytes.size()));
    if (logo) {
        setLogo(*logo);
        return true;
    }
    const QString why = QString::fromStdString(logo.error());
    const QImage other = QImage::fromData(bytes);
    clear();
    problem_ = QStringLiteral("Windows would not show this file. ") + why;
    if (other.isNull())
        return false;
    picture_ = other.convertToFormat(QImage::Format_RGB32);
    update();
    return true;
}

void BootPreview::setLogo(const LogoPicture& logo) {
    logo_ = logo;
    problem_.clear();
    step_ = 0;
    // The image reads the pixels in place; logo_ keeps them alive.
    picture_ =
        QImage(logo_->pixels.data(), kLogoWidth, kLogoHeight, kLogoWidth, QImage::Format_Indexed8);
    refreshPicture();
    updateTimer();
}

void BootPreview::clear() {
    logo_.reset();
    picture_ = QImage();
    problem_.clear();
    step_ = 0;
    updateTimer();
    update();
}

void BootPreview::setAnimationEnabled(bool enabled) {
    animationEnabled_ = enabled;
    if (!enabled && logo_) {
        step_ = 0;
        refreshPicture();
    }
    updateTimer();
}

void BootPreview::advance() {
    if (!logo_ || logo_->firstCycled == 0)
        return;
    ++step_;
    refreshPicture();
}

QImage BootPreview::currentPicture() const {
    return picture_.isNull() ? QImage() : picture_.convertToFormat(QImage::Format_RGB32);
}

QColor BootPreview::borderColour() const {
    if (!logo_)
        return Qt::black;
    const Rgb c = logo_->palette[0];
    return QColor(c.r, c.g, c.b);
}

QRect BootPreview::pictureRect() const {
    const int border = borderWidth();
    QSize screen(4, 3);
    screen.scale((size() - QSize(2 * border, 2 * border)).expandedTo(QSize(4, 3)),
                 Qt::KeepAspectRatio);
    return QRect(QPoint((width() - screen.width()) / 2, (height() - screen.height()) / 2), screen);
}

int BootPreview::borderWidth() const {
    // A monitor shows a rim of border colour around the picture; a fortieth
    // of the width looks like one.
    return std::max(2, std::min(width(), height() * 4 / 3) / 40);
}

QSize BootPreview::sizeHint() const {
    return QSize(672, 504);
}
QSize BootPreview::minimumSizeHint() const {
    return QSize(168, 126);
}

void BootPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect picture = pictureRect();
    const int border = borderWidth();
    const QRect screen = picture.adjusted(-border, -border, border, border);
    // Beside the screen, where the widget is not 4:3, the window shows.
    painter.fillRect(rect(), palette().window());
    painter.fillRect(screen, borderColour());
    if (picture_.isNull())
        return;
    // Smooth: a monitor blends the 400 lines over its height; picking rows
    // would make some lines twice as thick as others.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(picture, picture_);
}

void BootPreview::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateTimer();
}

void BootPreview::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateTimer();
}

void BootPreview::updateTimer() {
    const bool run = animationEnabled_ && logo_ && logo_->firstCycled != 0 && isVisible();
    if (run && !timer_.isActive())
        timer_.start();
    else if (!run)
        timer_.stop();
}

void BootPreview::refreshPicture() {
    if (logo_)
        picture_.setColorTable(colourTable(converter::rotatedPalette(*logo_, step_)));
    update();
}

BootPreviewWindow::BootPreviewWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), preview_(new BootPreview(this)), note_(new QLabel(this)) {
    setObjectName(QStringLiteral("bootPreviewWindow"));
    note_->setObjectName(QStringLiteral("bootPreviewNote"));
    note_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->addWidget(preview_, 1);
    layout->addWidget(note_);
    note_->setContentsMargins(8, 0, 8, 0);
    setWindowTitle(QStringLiteral("Boot Preview"));
}

void BootPreviewWindow::showLogo(const QByteArray& bytes, const QString& caption,
                                 const QString& heading) {
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Boot Preview")
                                     : QStringLiteral("Boot Preview - ") + caption);
    QString note;
    if (!preview_->setLogoBytes(bytes)) {
        note = preview_->problem() +
               QStringLiteral(" It is no picture that can be shown here either.");
    } else if (!preview_->problem().isEmpty()) {
        note = preview_->problem();
    } else if (preview_->firstCycled() != 0) {
        note = QStringLiteral("Palette entries %1 to 255 rotate, one step every %2 ms.")
                   .arg(preview_->firstCycled())
                   .arg(BootPreview::kStepMilliseconds);
    } else {
        note = QStringLiteral("A still picture: no palette entries rotate.");
    }
    note_->setText(heading.isEmpty() ? note : heading + ' ' + note);
}

QString BootPreviewWindow::note() const {
    return note_->text();
}

void BootPreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace quenlark
