#include "demo_drive.h"

#include <QStandardPaths>
#include <system_error>

#include "atomic_file.h"
#include "drive_map.h"
#include "sample_logo.h"
#include "slots.h"

namespace quenlark {

namespace fs = std::filesystem;

namespace {

constexpr const char* kWindowsFolder = "WINDOWS";

QColor sampleColour(Slot slot) {
    switch (slot) {
        case Slot::StartUp:
            return QColor(40, 110, 230);
        case Slot::Wait:
            return QColor(20, 170, 120);
        case Slot::ShutDown:
            return QColor(200, 90, 30);
    }
    return Qt::gray;
}

bool writeSampleLogo(const fs::path& folder, const SlotInfo& slot) {
    const std::string name = QString::fromLatin1(slot.installedName).toUpper().toStdString();
    if (findNameIgnoringCase(folder, name))
        return true;
    const QByteArray bytes = sampleLogoBitmap(QString::fromLatin1(slot.caption),
                                              sampleColour(slot.slot), slot.slot == Slot::StartUp);
    return writeFileAtomically(folder / name, std::string_view(bytes.constData(), bytes.size()));
}

}  // namespace

fs::path userDataFolder() {
    return fs::path(
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation).toStdString());
}

fs::path demoDriveRoot() {
    return userDataFolder() / "drive_c";
}

fs::path prepareDemoDrive(const fs::path& root, std::string& error) {
    std::error_code ec;
    if (fs::is_directory(root, ec)) {
        if (const auto existing = findNameIgnoringCase(root, kWindowsFolder);
            existing && fs::is_directory(root / *existing, ec))
            return root / *existing;
    }
    const fs::path windows = root / kWindowsFolder;
    fs::create_directories(windows, ec);
    if (ec) {
        error = "The demo drive " + root.string() + " cannot be made: " + ec.message() + ".";
        return {};
    }
    for (const SlotInfo& slot : kSlots) {
        if (!writeSampleLogo(slot.atDriveRoot ? root : windows, slot)) {
            error = "The sample logos cannot be written into the demo drive " + root.string() + ".";
            return {};
        }
    }
    return windows;
}

}  // namespace quenlark
