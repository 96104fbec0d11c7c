#pragma once

#include <QImage>

namespace quenlark {

inline constexpr int kAboutBannerWidth = 262;
inline constexpr int kAboutBannerHeight = 112;

// The banner at the top of the about box, drawn here in 24-bit colour: the
// program's name over a sunrise seen through the three screens it manages.
QImage aboutBanner();

}  // namespace quenlark
