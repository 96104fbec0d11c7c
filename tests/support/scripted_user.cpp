#include "scripted_user.h"

#include <gtest/gtest.h>

namespace quenlark::testing {

Answer ScriptedUser::showMessage(const std::string& text, MessageStyle style) {
    messages.push_back({text, style, status()});
    if (style == MessageStyle::Ok || style == MessageStyle::OkCritical ||
        style == MessageStyle::OkExclamation)
        return Answer::Ok;
    if (answerer)
        return answerer(text, style);
    if (answers.empty()) {
        ADD_FAILURE() << "unscripted question: " << text;
        return Answer::Cancel;
    }
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

bool ScriptedUser::showThumbnail(Slot slot, const std::string& path) {
    if (path.empty()) {
        thumbnails[index(slot)].clear();
        return true;
    }
    auto content = files_.readFile(path, 4 * 1024 * 1024);
    if (!content || content->rfind("BM", 0) != 0)
        return false;
    thumbnails[index(slot)] = path;
    ++thumbnailLoads[index(slot)];
    return true;
}

std::optional<std::string> ScriptedUser::showOpenDialog(const FileDialogRequest& request) {
    dialogs.push_back(request);
    if (chosenFiles.empty()) {
        ADD_FAILURE() << "unscripted file dialog";
        return std::nullopt;
    }
    auto chosen = chosenFiles.front();
    chosenFiles.pop_front();
    return chosen;
}

}  // namespace quenlark::testing
