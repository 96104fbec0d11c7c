#include "boot_preview.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "animation_file.h"
#include "boot_screen.h"

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
    timer_.setInterval(converter::kStepMilliseconds);
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
    if (!logo_ || converter::stepsPerTurn(*logo_) == 1)
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
    return converter::screenIn(size()).picture;
}

int BootPreview::borderWidth() const {
    return converter::screenIn(size()).border;
}

QSize BootPreview::sizeHint() const {
    return QSize(672, 504);
}
QSize BootPreview::minimumSizeHint() const {
    return QSize(168, 126);
}

void BootPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const converter::ScreenLayout layout = converter::screenIn(size());
    const QRect picture = layout.picture;
    const QRect screen = layout.screen();
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
    const bool run =
        animationEnabled_ && logo_ && converter::stepsPerTurn(*logo_) > 1 && isVisible();
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
    : QWidget(parent, Qt::Window),
      preview_(new BootPreview(this)),
      note_(new QLabel(this)),
      status_(new QLabel(this)),
      saveAnimationButton_(new QPushButton(QStringLiteral("Save &Animation As..."), this)) {
    setObjectName(QStringLiteral("bootPreviewWindow"));
    note_->setObjectName(QStringLiteral("bootPreviewNote"));
    note_->setWordWrap(true);
    status_->setObjectName(QStringLiteral("bootPreviewStatus"));
    status_->setWordWrap(true);
    saveAnimationButton_->setObjectName(QStringLiteral("saveAnimationButton"));
    saveAnimationButton_->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 0, 8, 0);
    buttons->addWidget(status_, 1);
    buttons->addWidget(saveAnimationButton_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->addWidget(preview_, 1);
    layout->addWidget(note_);
    layout->addLayout(buttons);
    note_->setContentsMargins(8, 0, 8, 0);
    setWindowTitle(QStringLiteral("Boot Preview"));
    connect(saveAnimationButton_, &QPushButton::clicked, this, &BootPreviewWindow::saveAnimationAs);
}

void BootPreviewWindow::showLogo(const QByteArray& bytes, const QString& caption,
                                 const QString& heading) {
    caption_ = caption;
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Boot Preview")
                                     : QStringLiteral("Boot Preview - ") + caption);
    QString note;
    if (!preview_->setLogoBytes(bytes)) {
        note = preview_->problem() +
               QStringLiteral(" It is no picture that can be shown here either.");
    } else if (!preview_->problem().isEmpty()) {
        note = preview_->problem();
    } else if (converter::stepsPerTurn(*preview_->logo()) > 1) {
        note = QStringLiteral("Palette entries %1 to 255 rotate, one step every %2 ms.")
                   .arg(preview_->firstCycled())
                   .arg(converter::kStepMilliseconds);
    } else {
        note = QStringLiteral("A still picture: no palette entries rotate.");
    }
    note_->setText(heading.isEmpty() ? note : heading + ' ' + note);
    status_->clear();
    // Only a logo that Windows shows has a start-up screen to save.
    saveAnimationButton_->setEnabled(preview_->logo().has_value());
}

QString BootPreviewWindow::note() const {
    return note_->text();
}

QString BootPreviewWindow::status() const {
    return status_->text();
}

bool BootPreviewWindow::saveAnimation(const QString& path) {
    const auto& logo = preview_->logo();
    auto animation = logo ? converter::encodeAnimation(*logo, {})
                          : converter::Result<std::string>::failure("There is no logo to animate.");
    auto written = animation ? converter::writeNewFile(QFile::encodeName(path).toStdString(),
                                                       *animation, converter::ExistingFile::Replace)
                             : converter::Result<converter::Done>::failure(animation.error());
    if (!written) {
        status_->setText(QString::fromStdString(written.error()));
        status_->setStyleSheet(QStringLiteral("color: #a00000;"));
        return false;
    }
    status_->setText(QStringLiteral("Saved %1.").arg(QDir::toNativeSeparators(path)));
    status_->setStyleSheet(QString());
    return true;
}

// The file is named after the logo it shows: LOGOW.SYS gives logow.gif.
void BootPreviewWindow::saveAnimationAs() {
    QString name = caption_.section(QLatin1Char('\\'), -1).section(QLatin1Char('/'), -1);
    name = name.isEmpty() ? QStringLiteral("logo") : name.section(QLatin1Char('.'), 0, 0).toLower();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!QDir(folder).exists())
        folder = QDir::homePath();
    QFileDialog dialog(this, QStringLiteral("Save Animation As"),
                       QDir(folder).filePath(name + QStringLiteral(".gif")));
    dialog.setObjectName(QStringLiteral("saveAnimationDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("gif"));
    dialog.setNameFilters(
        {QStringLiteral("Animated GIF (*.gif)"), QStringLiteral("All files (*)")});
    // The file dialog has asked before it names a file that exists.
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        saveAnimation(dialog.selectedFiles().front());
}

void BootPreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace quenlark
