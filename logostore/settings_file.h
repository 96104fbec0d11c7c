#pragma once

#include <optional>
#include <string>

#include "file_system.h"

namespace quenlark {

// The settings file holds one line, "LastUsedDir=" and the folder from which
// the user last chose a bitmap, ended by CR LF.
inline constexpr std::string_view kSettingsKey = "LastUsedDir=";

// Replaces the whole file with the one line for `folder`.
bool writeSettingsFile(FileSystem& files, const std::string& path, const std::string& folder);

// The remembered folder: the first line without its first 12 characters (the
// length of the key; they are dropped, not compared). Nothing when the file is
// missing or empty, or its first line is shorter than that.
std::optional<std::string> readRememberedFolder(FileSystem& files, const std::string& path);

// `line` without its first `count` characters (UTF-8 characters, so a folder
// name is never cut inside a letter); nothing when the line is shorter.
std::optional<std::string> dropCharacters(const std::string& line, std::size_t count);

}  // namespace quenlark
