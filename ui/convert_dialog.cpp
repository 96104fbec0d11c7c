#include "convert_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "animated_band.h"
#include "boot_preview.h"
#include "dropped_file.h"
#include "picture_reader.h"

namespace quenlark {

using converter::ConvertOptions;
using converter::ExistingFile;
using converter::FitMode;

namespace {

// Shows the wait cursor while the picture is read and reduced.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

ConvertDialog::ConvertDialog(QWidget* parent, const QString& folder)
    : QDialog(parent),
      folder_(folder.isEmpty() ? QDir::homePath() : folder),
      pictureEdit_(new QLineEdit(this)),
      browseButton_(new QPushButton(QStringLiteral("&Browse..."), this)),
      fitButton_(new QRadioButton(QStringLiteral("&Fit: all of the picture, with borders"), this)),
      fillButton_(new QRadioButton(QStringLiteral("F&ill: the whole screen, edges cut off"), this)),
      stretchButton_(
          new QRadioButton(QStringLiteral("&Stretch: the whole picture, out of shape"), this)),
      modes_(new QButtonGroup(this)),
      bandCheck_(
          new QCheckBox(QStringLiteral("&Animated bar at the bottom, palette entries"), this)),
      bandFirst_(new QSpinBox(this)),
      borderButton_(new QPushButton(this)),
      preview_(new BootPreview(this)),
      status_(new QLabel(this)),
      installRow_(new QWidget(this)),
      targetLabel_(new QLabel(QStringLiteral("Install &to:"), installRow_)),
      target_(new QComboBox(installRow_)),
      installButton_(new QPushButton(QStringLiteral("I&nstall"), installRow_)),
      saveButton_(new QPushButton(QStringLiteral("Sa&ve As..."), this)),
      closeButton_(new QPushButton(QStringLiteral("Close"), this)) {
    setObjectName(QStringLiteral("convertDialog"));
    setWindowTitle(QStringLiteral("Make Logo From Picture"));
    pictureEdit_->setObjectName(QStringLiteral("pictureEdit"));
    browseButton_->setObjectName(QStringLiteral("browseButton"));
    fitButton_->setObjectName(QStringLiteral("fitButton"));
    fillButton_->setObjectName(QStringLiteral("fillButton"));
    stretchButton_->setObjectName(QStringLiteral("stretchButton"));
    bandCheck_->setObjectName(QStringLiteral("bandCheck"));
    bandFirst_->setObjectName(QStringLiteral("bandFirst"));
    borderButton_->setObjectName(QStringLiteral("borderButton"));
    status_->setObjectName(QStringLiteral("statusLabel"));
    target_->setObjectName(QStringLiteral("installTarget"));
    installButton_->setObjectName(QStringLiteral("installButton"));
    saveButton_->setObjectName(QStringLiteral("saveButton"));
    closeButton_->setObjectName(QStringLiteral("closeButton"));

    pictureEdit_->setReadOnly(true);
    pictureEdit_->setPlaceholderText(QStringLiteral("No picture chosen"));
    modes_->addButton(fitButton_, int(FitMode::Fit));
    modes_->addButton(fillButton_, int(FitMode::Fill));
    modes_->addButton(stretchButton_, int(FitMode::Stretch));
    fitButton_->setChecked(true);
    bandFirst_->setRange(converter::kSmallestFirstCycled, converter::kLargestFirstCycled);
    bandFirst_->setValue(converter::kDefaultFirstCycled);
    bandFirst_->setEnabled(false);
    bandFirst_->setToolTip(
        QStringLiteral("The picture keeps the entries below this one; the stock start-up logo "
                       "cycles the last 20, from 236."));
    status_->setWordWrap(true);
    saveButton_->setEnabled(false);
    saveButton_->setDefault(true);
    installButton_->setEnabled(false);
    targetLabel_->setBuddy(target_);
    setAcceptDrops(true);
    preview_->setMinimumSize(424, 318);

    auto* pictureRow = new QHBoxLayout;
    auto* pictureLabel = new QLabel(QStringLiteral("&Picture:"), this);
    pictureLabel->setBuddy(browseButton_);
    pictureRow->addWidget(pictureLabel);
    pictureRow->addWidget(pictureEdit_, 1);
    pictureRow->addWidget(browseButton_);

    auto* shape = new QGroupBox(QStringLiteral("Shape on the 4:3 screen"), this);
    auto* shapeLayout = new QVBoxLayout(shape);
    shapeLayout->addWidget(fitButton_);
    shapeLayout->addWidget(fillButton_);
    shapeLayout->addWidget(stretchButton_);

    auto* colours = new QGroupBox(QStringLiteral("Colours"), this);
    auto* coloursLayout = new QGridLayout(colours);
    auto* bandRow = new QHBoxLayout;
    bandRow->addWidget(bandCheck_);
    bandRow->addWidget(bandFirst_);
    bandRow->addWidget(new QLabel(QStringLiteral("to 255"), this));
    bandRow->addStretch(1);
    coloursLayout->addLayout(bandRow, 0, 0, 1, 2);
    auto* borderLabel = new QLabel(QStringLiteral("B&order and screen edge:"), this);
    borderLabel->setBuddy(borderButton_);
    coloursLayout->addWidget(borderLabel, 1, 0);
    coloursLayout->addWidget(borderButton_, 1, 1, Qt::AlignLeft);

    auto* options = new QVBoxLayout;
    options->addWidget(shape);
    options->addWidget(colours);
    options->addStretch(1);

    auto* middle = new QHBoxLayout;
    middle->addLayout(options);
    middle->addWidget(preview_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    auto* installLayout = new QHBoxLayout(installRow_);
    installLayout->setContentsMargins(0, 0, 0, 0);
    installLayout->addWidget(targetLabel_);
    installLayout->addWidget(target_);
    installLayout->addWidget(installButton_);
    installRow_->hide();
    buttons->addWidget(installRow_);
    buttons->addWidget(saveButton_);
    buttons->addWidget(closeButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pictureRow);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);

    showBorderColour();
    setStatus(QStringLiteral("Choose a picture, or drop one here: PNG, JPEG, GIF, BMP, ..."),
              false);

    bandFirst_->setAccessibleName(QStringLiteral("First palette entry of the animated bar"));
    connect(browseButton_, &QPushButton::clicked, this, &ConvertDialog::browse);
    connect(saveButton_, &QPushButton::clicked, this, &ConvertDialog::saveAs);
    connect(installButton_, &QPushButton::clicked, this, [this] {
        if (logo_)
            emit installRequested(target_->currentIndex());
    });
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(borderButton_, &QPushButton::clicked, this, &ConvertDialog::chooseBorder);
    connect(modes_, &QButtonGroup::idClicked, this, &ConvertDialog::remake);
    connect(bandCheck_, &QCheckBox::toggled, this, [this](bool on) {
        bandFirst_->setEnabled(on);
        remake();
    });
    connect(bandFirst_, &QSpinBox::valueChanged, this, &ConvertDialog::remake);
}

ConvertOptions ConvertDialog::options() const {
    ConvertOptions options;
    options.fit = static_cast<FitMode>(modes_->checkedId());
    if (bandCheck_->isChecked())
        options.bandFirst = bandFirst_->value();
    options.border = border_;
    return options;
}

QString ConvertDialog::status() const {
    return status_->text();
}

bool ConvertDialog::openPicture(const QString& path) {
    BusyCursor busy;
    auto picture = converter::readPicture(path);
    if (!picture) {
        setStatus(QString::fromStdString(picture.error()), true);
        return false;
    }
    picture_ = *picture;
    pictureEdit_->setText(QDir::toNativeSeparators(path));
    picturePath_ = QFileInfo(path).absoluteFilePath();
    folder_ = QFileInfo(path).absolutePath();
    remake();
    return logo_.has_value();
}

void ConvertDialog::remake() {
    if (picture_.isNull())
        return;
    BusyCursor busy;
    auto logo = converter::makeLogo(picture_, options());
    if (!logo) {
        logo_.reset();
        preview_->clear();
        saveButton_->setEnabled(false);
        installButton_->setEnabled(false);
        setStatus(QString::fromStdString(logo.error()), true);
        return;
    }
    logo_ = *logo;
    preview_->setLogo(*logo_);
    saveButton_->setEnabled(true);
    installButton_->setEnabled(true);
    setStatus(QStringLiteral("%1 x %2 pixels, shown as Windows shows it.")
                  .arg(picture_.width())
                  .arg(picture_.height()),
              false);
}

bool ConvertDialog::saveLogo(const QString& path, ExistingFile existing) {
    if (!logo_) {
        setStatus(QStringLiteral("There is no logo to save yet."), true);
        return false;
    }
    const auto done = converter::writeNewFile(QFile::encodeName(path).toStdString(),
                                              converter::encodeLogo(*logo_), existing);
    if (!done) {
        setStatus(QString::fromStdString(done.error()), true);
        return false;
    }
    folder_ = QFileInfo(path).absolutePath();
    setStatus(QStringLiteral("Saved %1.").arg(QDir::toNativeSeparators(path)), false);
    emit logoSaved(path);
    return true;
}

void ConvertDialog::browse() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Choose a Picture"), folder_,
        QStringLiteral("Pictures (*.png *.jpg *.jpeg *.gif *.bmp *.dib *.ico);;All files (*)"));
    if (!path.isEmpty())
        openPicture(path);
}

void ConvertDialog::saveAs() {
    if (!logo_)
        return;
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save Logo As"), QDir(folder_).filePath(QStringLiteral("logo.sys")),
        QStringLiteral("Logo files (*.sys);;Bitmaps (*.bmp);;All files (*)"));
    // The file dialog has asked before it names a file that exists.
    if (!path.isEmpty())
        saveLogo(path, ExistingFile::Replace);
}

void ConvertDialog::setInstallTargets(const QStringList& targets) {
    target_->clear();
    target_->addItems(targets);
    installRow_->setVisible(!targets.isEmpty());
}

void ConvertDialog::chooseInstallTarget(int index) {
    target_->setCurrentIndex(index);
}

int ConvertDialog::installTarget() const {
    return target_->currentIndex();
}

void ConvertDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (offersFiles(*event->mimeData()))
        event->acceptProposedAction();
}

// A dropped picture is opened as Browse... opens it; anything else is told
// on the status line, and the picture shown stays.
void ConvertDialog::dropEvent(QDropEvent* event) {
    const DroppedFile dropped = droppedFile(*event->mimeData());
    event->acceptProposedAction();
    if (!dropped.problem.isEmpty())
        setStatus(dropped.problem, true);
    else
        openPicture(dropped.path);
}

void ConvertDialog::chooseBorder() {
    const QColor chosen = QColorDialog::getColor(QColor(border_.r, border_.g, border_.b), this,
                                                 QStringLiteral("Border and Screen Edge"));
    if (!chosen.isValid())
        return;
    border_ = {static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
               static_cast<std::uint8_t>(chosen.blue())};
    showBorderColour();
    remake();
}

void ConvertDialog::showBorderColour() {
    QPixmap swatch(32, 14);
    swatch.fill(QColor(border_.r, border_.g, border_.b));
    borderButton_->setIcon(QIcon(swatch));
    borderButton_->setIconSize(swatch.size());
    borderButton_->setText(QStringLiteral("#%1%2%3")
                               .arg(border_.r, 2, 16, QLatin1Char('0'))
                               .arg(border_.g, 2, 16, QLatin1Char('0'))
                               .arg(border_.b, 2, 16, QLatin1Char('0')));
}

void ConvertDialog::setStatus(const QString& text, bool trouble) {
    status_->setText(text);
    status_->setStyleSheet(trouble ? QStringLiteral("color: #a00000;") : QString());
}

}  // namespace quenlark
