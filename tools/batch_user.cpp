#include "batch_user.h"

namespace quenlark {

std::string BatchUser::takeFailure(bool retries) {
    std::string first = retries && !retries_.empty()
                            ? retries_.front()
                            : (problems_.empty() ? std::string() : problems_.front());
    retries_.clear();
    problems_.clear();
    return first;
}

Answer BatchUser::showMessage(const std::string& text, MessageStyle style) {
    switch (style) {
        case MessageStyle::YesNo:
        case MessageStyle::YesNoCancel:
            return answer_;
        case MessageStyle::RetryCancel: {
            // The file system may know why better than the box says.
            const std::string why = files_.lastFailure();
            retries_.push_back(why.empty() ? text : text + " " + why);
            return Answer::Cancel;
        }
        default:
            if (!quiet_)
                problems_.push_back(text);
            return Answer::Ok;
    }
}

}  // namespace quenlark
