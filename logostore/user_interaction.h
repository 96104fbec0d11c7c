#pragma once

#include <optional>
#include <string>
#include <vector>

#include "slots.h"

namespace quenlark {

// Message box styles: buttons and icon. The numbers are the Windows ones.
enum class MessageStyle {
    Ok = 0,              // OK, no icon
    OkCritical = 16,     // OK, stop icon
    RetryCancel = 21,    // Retry, Cancel, stop icon
    YesNoCancel = 35,    // Yes, No, Cancel, question icon
    YesNo = 36,          // Yes, No, question icon
    OkExclamation = 48,  // OK, exclamation icon
};

enum class Answer { Ok = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

struct FileFilter {
    std::string description;
    std::string pattern;  // "*.bmp"
};

// What the file-open dialog is asked to show.
struct FileDialogRequest {
    std::string title;
    std::vector<FileFilter> filters;
    std::size_t selectedFilter = 0;
    std::string initialFolder;  // Windows path; may be empty or missing
    bool fileMustExist = true;
    bool hideReadOnly = true;
};

// Everything the logo store shows the user or asks of them. The main window
// implements it; tests script it.
class UserInteraction {
  public:
    virtual ~UserInteraction() = default;

    // A modal box with the program's caption; returns the button that closed it.
    virtual Answer showMessage(const std::string& text, MessageStyle style) = 0;

    // Replaces the whole status line.
    virtual void setStatus(const std::string& text) = 0;

    // Loads the picture at `path` (a Windows path) into the slot's thumbnail.
    // An empty path clears it. A file that is missing or no picture leaves the
    // thumbnail as it was and gives false.
    virtual bool showThumbnail(Slot slot, const std::string& path) = 0;

    virtual void setBackupButtonEnabled(Slot slot, bool enabled) = 0;

    // The "Backup" choice of the slot's preview option.
    virtual void setBackupChoiceEnabled(Slot slot, bool enabled) = 0;

    // Whether the "Current" choice of the slot's preview option is selected.
    virtual bool isCurrentChoiceSelected(Slot slot) = 0;

    virtual void selectCurrentChoice(Slot slot) = 0;

    // The chosen file's Windows path, or nothing when the user cancelled or
    // the dialog could not be shown.
    virtual std::optional<std::string> showOpenDialog(const FileDialogRequest& request) = 0;
};

}  // namespace quenlark
