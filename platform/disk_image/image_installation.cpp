#include "image_installation.h"

#include "disk_image.h"
#include "image_file_system.h"

namespace quenlark {

std::optional<OpenInstallation> openImageInstallation(const InstallationSource& source,
                                                      const std::filesystem::path& workFolder,
                                                      std::string& error) {
    auto opened = DiskImage::open({source.path, source.partition, workFolder, source.driveLetter});
    if (auto* why = std::get_if<std::string>(&opened)) {
        error = *why;
        return std::nullopt;
    }
    std::shared_ptr<DiskImage> image = std::move(std::get<std::unique_ptr<DiskImage>>(opened));
    if (!image->windowsDirectory()) {
        error = "The disk image " + source.path.string() +
                " holds no Windows folder: neither MSDOS.SYS nor a WINDOWS folder names one" +
                (source.partition ? " on partition " + std::to_string(*source.partition) : "") +
                ".";
        return std::nullopt;
    }
    OpenInstallation open;
    open.source = source;
    // The image's drive is reached through the image, never the host: only
    // Z: is a host folder.
    open.files = std::make_unique<ImageFileSystem>(*image, DriveMap());
    open.windowsDirectory = std::make_unique<ImageWindowsDirectory>(*image);
    open.notice = image->notice();
    if (const auto& why = image->whyReadOnly())
        open.notice += " " + *why;
    open.identity = image->identity();
    open.name = image->displayName();
    // A moved, renamed or copied image is the same installation.
    const std::string& label = image->volume().label;
    open.folderName = startupFolderName(label.empty() ? "volume" : label, open.identity);
    open.image = std::move(image);
    return open;
}

}  // namespace quenlark
