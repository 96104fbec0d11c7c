#pragma once

#include <QString>
#include <optional>
#include <string>

#include "drive_map.h"
#include "user_interaction.h"

class QWidget;

namespace quenlark {

// Runs Qt's own file-open dialog, modal for the whole program, as `request`
// asks: its title, its filters (the one asked for preselected; names match
// without regard to letter case, so LOGO.SYS passes *.sys), a file that must
// exist. It opens in the request's folder, a Windows path that `drives` maps
// to the host (a relative one taken from `currentDirectory`); an empty or
// missing folder leaves the dialog's own default. Returns the chosen file as
// a Windows path, or nothing when the user cancelled.
std::optional<std::string> runOpenFileDialog(QWidget* parent, const FileDialogRequest& request,
                                             const DriveMap& drives,
                                             const std::string& currentDirectory);

// The host folder for the Windows folder `windowsFolder` (a relative one taken
// from `currentDirectory`); nothing when it is empty or no existing folder.
std::optional<QString> hostFolder(const std::string& windowsFolder, const DriveMap& drives,
                                  const std::string& currentDirectory);

// The dialog's object name, by which tests find it.
inline constexpr const char* kOpenFileDialogName = "openFileDialog";

}  // namespace quenlark
