#include "open_file_dialog.h"

#include <QFileDialog>
#include <filesystem>
#include <system_error>

#include "windows_path.h"

namespace quenlark {

std::optional<QString> hostFolder(const std::string& windowsFolder, const DriveMap& drives,
                                  const std::string& currentDirectory) {
    if (windowsFolder.empty())
        return std::nullopt;
    const auto parsed = parseWindowsPath(windowsFolder, currentDirectory);
    if (!parsed)
        return std::nullopt;
    const auto host = drives.toHost(*parsed);
    std::error_code ec;
    if (!host || !std::filesystem::is_directory(*host, ec))
        return std::nullopt;
    return QString::fromStdString(host->string());
}

namespace {

// "Bitmap files (320x400x256 only!) (*.bmp)": Qt takes the pattern from the
// last parentheses and, with the details hidden, shows only the description.
QStringList nameFilters(const std::vector<FileFilter>& filters) {
    QStringList list;
    for (const FileFilter& filter : filters)
        list << QString::fromStdString(filter.description) + " (" +
                    QString::fromStdString(filter.pattern) + ")";
    return list;
}

}  // namespace

std::optional<std::string> runOpenFileDialog(QWidget* parent, const FileDialogRequest& request,
                                             const DriveMap& drives,
                                             const std::string& currentDirectory) {
    QFileDialog dialog(parent, QString::fromStdString(request.title));
    dialog.setObjectName(kOpenFileDialogName);
    // Qt's own dialog filters names without regard to case and can be driven
    // the same way on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);

    const QStringList filters = nameFilters(request.filters);
    dialog.setNameFilters(filters);
    if (request.selectedFilter < static_cast<std::size_t>(filters.size()))
        dialog.selectNameFilter(filters[static_cast<qsizetype>(request.selectedFilter)]);

    if (const auto folder = hostFolder(request.initialFolder, drives, currentDirectory))
        dialog.setDirectory(*folder);

    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return std::nullopt;
    return drives.toWindows(std::filesystem::path(chosen.front().toStdString()));
}

}  // namespace quenlark
