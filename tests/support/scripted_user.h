#pragma once

#include <array>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "file_system.h"
#include "user_interaction.h"

namespace quenlark::testing {

// A user who answers from a script and remembers everything shown to them.
// Boxes with only an OK button answer OK by themselves; every other box takes
// the next scripted answer (and fails the test when there is none).
class ScriptedUser : public UserInteraction {
  public:
    // Thumbnails are "loaded" through `files`: a file that starts with "BM"
    // counts as a picture.
    explicit ScriptedUser(FileSystem& files) : files_(files) {}

    struct Message {
        std::string text;
        MessageStyle style;
        std::string statusShown;  // the status line while the box was open
    };

    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> chosenFiles;  // one per dialog; nothing = cancel
    // When set, answers every box that offers a choice, in place of `answers`.
    std::function<Answer(const std::string& text, MessageStyle style)> answerer;

    std::vector<Message> messages;
    std::vector<std::string> statuses;
    std::vector<FileDialogRequest> dialogs;
    std::array<std::string, 3> thumbnails{};  // path each thumbnail shows
    std::array<int, 3> thumbnailLoads{};      // successful loads
    std::array<bool, 3> backupButtonEnabled{true, true, true};
    std::array<bool, 3> backupChoiceEnabled{true, true, true};
    std::array<bool, 3> currentSelected{false, false, false};

    std::string status() const { return statuses.empty() ? std::string() : statuses.back(); }

    Answer showMessage(const std::string& text, MessageStyle style) override;
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    bool showThumbnail(Slot slot, const std::string& path) override;
    void setBackupButtonEnabled(Slot slot, bool enabled) override {
        backupButtonEnabled[index(slot)] = enabled;
    }
    void setBackupChoiceEnabled(Slot slot, bool enabled) override {
        backupChoiceEnabled[index(slot)] = enabled;
    }
    bool isCurrentChoiceSelected(Slot slot) override { return currentSelected[index(slot)]; }
    void selectCurrentChoice(Slot slot) override { currentSelected[index(slot)] = true; }
    std::optional<std::string> showOpenDialog(const FileDialogRequest& request) override;

    static std::size_t index(Slot slot) { return static_cast<std::size_t>(slot); }

  private:
    FileSystem& files_;
};

}  // namespace quenlark::testing
