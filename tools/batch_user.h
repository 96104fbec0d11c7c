#pragma once

#include <string>
#include <vector>

#include "file_system.h"
#include "user_interaction.h"

namespace quenlark {

// The user of the logo store when it runs from a shell: nobody to ask. Every
// question gets the answer the command gave beforehand; a Retry/Cancel prompt
// is a failure, answered Cancel; every box that reports a problem is a
// failure too, kept as the one line the command prints.
class BatchUser : public UserInteraction {
  public:
    explicit BatchUser(FileSystem& files) : files_(files) {}

    // The answer to every Yes/No question from now on.
    void answerQuestionsWith(Answer answer) { answer_ = answer; }
    // Boxes are not failures while quiet (the start-up sequence's warnings).
    void setQuiet(bool quiet) { quiet_ = quiet; }

    // The first problem reported since the last call, then forgotten; empty
    // when there was none. With `retries` false, a Retry/Cancel prompt does
    // not count: for operations that go on without the copy they retried and
    // report what that cost in a box of their own.
    std::string takeFailure(bool retries = true);
    const std::string& lastStatus() const { return lastStatus_; }

    Answer showMessage(const std::string& text, MessageStyle style) override;
    void setStatus(const std::string& text) override { lastStatus_ = text; }
    bool showThumbnail(Slot, const std::string&) override { return true; }
    void setBackupButtonEnabled(Slot, bool) override {}
    void setBackupChoiceEnabled(Slot, bool) override {}
    bool isCurrentChoiceSelected(Slot) override { return true; }
    void selectCurrentChoice(Slot) override {}
    std::optional<std::string> showOpenDialog(const FileDialogRequest&) override {
        return std::nullopt;
    }

  private:
    FileSystem& files_;
    Answer answer_ = Answer::Yes;
    bool quiet_ = false;
    std::vector<std::string> retries_;
    std::vector<std::string> problems_;
    std::string lastStatus_;
};

}  // namespace quenlark
