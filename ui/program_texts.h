#pragma once

namespace quenlark {

// Every message box bears the program's title, whoever shows it.
inline constexpr const char* kProgramTitle = "Quenlark";
inline constexpr const char* kMainWindowCaption = "Quenlark v1.2";
inline constexpr const char* kProgramVersion = "1.2";
// The maker's credit line of the main window's footer and the about box.
inline constexpr const char* kCreditLine = "\u00a9 The Quenlark team";

}  // namespace quenlark
