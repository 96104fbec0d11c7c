// Whether a chosen file may become a logo: judged by its length alone, the
// length of an uncompressed 320 x 400, 256-colour bitmap (and one other).
#include "size_check.h"

#include "logo_store.h"

namespace quenlark {

namespace {

constexpr std::uint64_t kLogoLength = 129078;
constexpr std::uint64_t kOtherAcceptedLength = 129137;

constexpr std::string_view kRefusal =
    "This file can't be used as logo screen. Make sure by using an editor (such as Paint Shop "
    "Pro) that the bitmap size = 320x400 and the number of used colors = 256. The bitmap file "
    "size should consequently be 129.078 bytes.";

}  // namespace

bool hasLogoLength(std::uint64_t length) {
    return length == kLogoLength || length == kOtherAcceptedLength;
}

std::string tooLargeForALogo(FileSystem& files, const std::string& path) {
    const auto length = files.fileLength(path);
    if (!length || *length <= kLargestSlotFile)
        return {};
    return path + " is not a logo: it is " + std::to_string(*length) +
           " bytes long, where a logo is 129,078.";
}

bool LogoStore::checkLogoSize(const std::string& path) {
    // A file that vanished or cannot be read since it was chosen has no
    // length and is refused like any other.
    const auto length = files_.fileLength(path);
    if (length && hasLogoLength(*length))
        return true;
    user_.setStatus(path + " couldn't be used !");
    message(std::string(kRefusal), MessageStyle::OkCritical);
    return false;
}

}  // namespace quenlark
