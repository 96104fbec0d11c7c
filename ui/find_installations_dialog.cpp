#include "find_installations_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "message_box.h"

namespace quenlark {

namespace {

// A search shorter than this shows no bar: it would only flicker.
constexpr int kProgressDelayMs = 400;
constexpr int kListWidth = 720;
constexpr int kListHeight = 320;
// Room between a column's text and the next column.
constexpr int kColumnGap = 12;

enum Column { kName, kEmulator, kImage, kState };

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

QString imageText(const FoundInstallation& found) {
    QString where = text(found.source.path.string());
    if (found.source.partition && *found.source.partition > 0)
        where += ", partition " + QString::number(*found.source.partition);
    return where;
}

QString stateText(const FoundInstallation& found) {
    if (found.refused)
        return QStringLiteral("Cannot be opened");
    if (found.inUse)
        return QStringLiteral("In use");
    return QStringLiteral("Ready");
}

// What the line under the list says of the chosen installation.
QString detailText(const FoundInstallation& found) {
    if (found.refused)
        return text(*found.refused);
    QString detail = "Windows folder " + text(found.windowsFolder);
    if (found.source.kind == InstallationSource::Kind::DiskImage)
        detail += found.source.partition && *found.source.partition > 0
                      ? " on partition " + QString::number(*found.source.partition)
                      : QStringLiteral(" on a disk without partitions");
    detail += ", found in " + text(found.foundIn.string()) + ".";
    if (found.inUse)
        detail += " " + text(*found.inUse);
    return detail;
}

}  // namespace

FindInstallationsDialog::FindInstallationsDialog(InstallationFinder& finder, Open open,
                                                 QWidget* parent)
    : QDialog(parent),
      finder_(finder),
      open_(std::move(open)),
      status_(new QLabel(this)),
      progress_(new QProgressBar(this)),
      list_(new QTreeWidget(this)),
      detail_(new QLabel(this)),
      notes_(new QLabel(this)),
      openButton_(new QPushButton(QStringLiteral("Open"), this)),
      addFolderButton_(new QPushButton(QStringLiteral("Add Folder to Search..."), this)) {
    setObjectName(QStringLiteral("findInstallationsDialog"));
    setWindowTitle(QStringLiteral("Find Installations"));
    status_->setObjectName(QStringLiteral("searchStatus"));
    progress_->setObjectName(QStringLiteral("searchProgress"));
    list_->setObjectName(QStringLiteral("installationList"));
    detail_->setObjectName(QStringLiteral("installationDetail"));
    notes_->setObjectName(QStringLiteral("searchNotes"));
    openButton_->setObjectName(QStringLiteral("openButton"));
    addFolderButton_->setObjectName(QStringLiteral("addFolderButton"));

    status_->setWordWrap(true);
    for (QLabel* label : {detail_, notes_}) {
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->hide();
    }
    progress_->setAccessibleName(QStringLiteral("Search progress"));
    progress_->setFormat(QStringLiteral("%v of %m disks"));
    progress_->hide();
    list_->setAccessibleName(QStringLiteral("Installations found"));
    list_->setAccessibleDescription(
        QStringLiteral("Each Windows 95 or 98 installation found: the machine's name, its "
                       "emulator, the disk image and whether it can be opened now."));
    list_->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Emulator"),
                            QStringLiteral("Image"), QStringLiteral("State")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    // A long path keeps its start and its file name.
    list_->setTextElideMode(Qt::ElideMiddle);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(kImage, QHeaderView::Stretch);
    openButton_->setAccessibleName(QStringLiteral("Open the chosen installation"));
    openButton_->setDefault(true);
    openButton_->setEnabled(false);
    addFolderButton_->setAccessibleName(
        QStringLiteral("Add a folder of disk images to search, and search again"));
    detail_->setAccessibleName(QStringLiteral("About the chosen installation"));
    notes_->setAccessibleName(QStringLiteral("Places that could not be searched"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("findButtons"));
    buttons->addButton(openButton_, QDialogButtonBox::AcceptRole);
    buttons->addButton(addFolderButton_, QDialogButtonBox::ActionRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(progress_);
    layout->addWidget(list_, 1);
    layout->addWidget(detail_);
    layout->addWidget(notes_);
    layout->addWidget(buttons);
    resize(kListWidth, kListHeight);

    // Not the box's accepted(): a failed open keeps the dialog up.
    connect(openButton_, &QPushButton::clicked, this, &FindInstallationsDialog::openChosen);
    connect(addFolderButton_, &QPushButton::clicked, this, &FindInstallationsDialog::addFolder);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QTreeWidget::itemSelectionChanged, this,
            &FindInstallationsDialog::chosenChanged);
    connect(list_, &QTreeWidget::itemActivated, this, &FindInstallationsDialog::openChosen);
}

FindInstallationsDialog::~FindInstallationsDialog() {
    if (worker_) {
        stop_->store(true);
        worker_->wait();
        delete worker_;
    }
}

void FindInstallationsDialog::search() {
    if (worker_) {
        searchAgain_ = true;
        return;
    }
    status_->setText(QStringLiteral("Looking through the emulators' machines..."));
    progress_->setRange(0, 0);
    stop_ = std::make_shared<std::atomic<bool>>(false);
    // The folders are read here, with the window's settings; the search
    // itself touches nothing of the window's.
    const auto folders = finder_.searchFolders();
    worker_ = QThread::create([this, folders, stop = stop_] {
        auto report = finder_.find(folders, [this, stop](int done, int total) {
            QMetaObject::invokeMethod(
                this, [this, done, total] { showProgress(done, total); }, Qt::QueuedConnection);
            return !stop->load();
        });
        QMetaObject::invokeMethod(
            this, [this, report = std::move(report)]() mutable { showReport(std::move(report)); },
            Qt::QueuedConnection);
    });
    connect(worker_, &QThread::finished, this, &FindInstallationsDialog::searchEnded,
            Qt::QueuedConnection);
    worker_->start();
    QTimer::singleShot(kProgressDelayMs, this, [this, stop = stop_] {
        if (worker_ && stop == stop_)
            progress_->show();
    });
}

void FindInstallationsDialog::showProgress(int done, int total) {
    progress_->setRange(0, total);
    progress_->setValue(done);
}

void FindInstallationsDialog::showReport(FindReport report) {
    found_ = std::move(report.found);
    list_->clear();
    for (const FoundInstallation& found : found_) {
        auto* item = new QTreeWidgetItem(
            list_, {text(found.machine), text(found.emulator), imageText(found), stateText(found)});
        const QString detail = detailText(found);
        for (int column = kName; column <= kState; ++column)
            item->setToolTip(column, detail);
        if (found.refused)
            item->setForeground(kState, palette().color(QPalette::Disabled, QPalette::Text));
    }
    for (int column : {kName, kEmulator, kState}) {
        list_->resizeColumnToContents(column);
        list_->setColumnWidth(column, list_->columnWidth(column) + kColumnGap);
    }

    int ready = 0;
    for (const FoundInstallation& found : found_)
        ready += found.refused ? 0 : 1;
    if (found_.empty())
        status_->setText(QStringLiteral(
            "No Windows 95 or 98 installation was found on the disks of your emulators' "
            "machines. Add the folder that holds your disk images to search it too."));
    else
        status_->setText(
            (ready == 1 ? QStringLiteral("1 installation was found")
                        : QString::number(ready) + QStringLiteral(" installations were found")) +
            (ready == static_cast<int>(found_.size())
                 ? QStringLiteral(".")
                 : QStringLiteral("; ") + QString::number(int(found_.size()) - ready) +
                       QStringLiteral(" more cannot be opened.")));
    QStringList notes;
    for (const std::string& note : report.notes)
        notes << text(note);
    notes_->setText(notes.join('\n'));
    notes_->setVisible(!notes.isEmpty());
    if (!found_.empty()) {
        list_->setCurrentItem(list_->topLevelItem(0));
        list_->setFocus();
    }
    chosenChanged();
}

void FindInstallationsDialog::searchEnded() {
    // finished() comes from the thread just before it ends.
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    progress_->hide();
    emit searchFinished();
    if (searchAgain_) {
        searchAgain_ = false;
        search();
    }
}

void FindInstallationsDialog::chosenChanged() {
    const int row = list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
    const bool chosen = row >= 0 && row < static_cast<int>(found_.size());
    openButton_->setEnabled(chosen && !found_[static_cast<std::size_t>(row)].refused);
    detail_->setText(chosen ? detailText(found_[static_cast<std::size_t>(row)]) : QString());
    detail_->setVisible(chosen);
}

void FindInstallationsDialog::openChosen() {
    const int row = list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
    if (row < 0 || row >= static_cast<int>(found_.size()) ||
        found_[static_cast<std::size_t>(row)].refused)
        return;
    if (open_(found_[static_cast<std::size_t>(row)]))
        accept();
}

void FindInstallationsDialog::addFolder() {
    QFileDialog dialog(this, QStringLiteral("Add Folder to Search"), QDir::homePath());
    dialog.setObjectName(QStringLiteral("searchFolderDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Add"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString folder = dialog.selectedFiles().front();
    if (const auto error = finder_.addSearchFolder(folder.toStdString())) {
        showMessageBox(this, *error, MessageStyle::OkExclamation);
        return;
    }
    search();
}

}  // namespace quenlark
