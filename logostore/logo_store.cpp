#include "logo_store.h"

namespace quenlark {

LogoStore::LogoStore(FileSystem& files, WindowsDirectory& windowsDirectory, UserInteraction& user,
                     std::string openingNotice)
    : files_(files),
      windowsDirectory_(windowsDirectory),
      user_(user),
      openingNotice_(std::move(openingNotice)) {}

Answer LogoStore::message(const std::string& text, MessageStyle style) {
    messageText_ = text;
    return user_.showMessage(messageText_, style);
}

std::string LogoStore::previewedFile(Slot slot) {
    return user_.isCurrentChoiceSelected(slot) ? paths_.installedOf(slot) : paths_.backupOf(slot);
}

}  // namespace quenlark
