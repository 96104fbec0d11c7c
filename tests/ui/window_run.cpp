#include "window_run.h"

#include <QLabel>
#include <QTabWidget>
#include <QTest>

#include "sample_logo.h"
#include "slot_page.h"

namespace quenlark::testing {

void putLogo(const std::filesystem::path& path, const QColor& colour) {
    const QByteArray bytes = sampleLogoBitmap("Test", colour);
    TempDrive::put(path, std::string_view(bytes.constData(), bytes.size()));
}

void putInstalledLogos(const TempDrive& drive) {
    putLogo(drive.root() / "LOGO.SYS", kStartUpColour);
    putLogo(drive.windows() / "LOGOW.SYS", kWaitColour);
    putLogo(drive.windows() / "LOGOS.SYS", kShutDownColour);
}

QColor topLeftColour(const QImage& picture) {
    if (picture.isNull())
        return QColor();
    return picture.pixelColor(0, 0);
}

namespace {

// The installation on `drive`, with C:\TOOLS as its start-up folder.
OpenInstallation openTestDrive(Installations& installations, const TempDrive& drive) {
    auto opened = installations.open(
        {InstallationSource::Kind::Folder, drive.windows(), std::nullopt, 'C'}, drive.tools());
    if (auto* error = std::get_if<std::string>(&opened))
        qFatal("cannot open the test drive: %s", error->c_str());
    return std::move(std::get<OpenInstallation>(opened));
}

}  // namespace

WindowRun::WindowRun(const TempDrive& drive)
    : installations(
          {drive.root().parent_path() / "data",
           QString::fromStdString((drive.root().parent_path() / "quenlark.conf").string()),
           {}}),
      files(installations.manage(openTestDrive(installations, drive))),
      platform{files,         files,    files.drives(),
               programs,      registry, "Drive C: is the test drive.",
               &installations},
      form(platform) {}

QString controlPath(const QWidget* control) {
    for (const QWidget* w = control->parentWidget(); w; w = w->parentWidget()) {
        if (qobject_cast<const SlotPage*>(w))
            return w->objectName() + '/' + control->objectName();
    }
    return control->objectName();
}

void WindowRun::showActive() {
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
}

QImage WindowRun::thumbnail(const QString& name) {
    auto* label = find<QLabel>(name);
    return label ? label->pixmap().toImage() : QImage();
}

void WindowRun::selectPage(int index) {
    find<QTabWidget>("slotTabs")->setCurrentIndex(index);
}

}  // namespace quenlark::testing
