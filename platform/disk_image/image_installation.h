#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "installation.h"

namespace quenlark {

// Opens the installation in the disk image `source.path` (the partition it
// names, or the first that holds Windows), with `workFolder` for the image's
// overlays and its journal: give the same folder each time the same image is
// opened. Its identity is the volume's serial number and label, so a copied
// or moved image is the same installation. Nothing, with `error` set, when
// the image cannot be opened or holds no Windows folder; nothing is written.
std::optional<OpenInstallation> openImageInstallation(const InstallationSource& source,
                                                      const std::filesystem::path& workFolder,
                                                      std::string& error);

}  // namespace quenlark
