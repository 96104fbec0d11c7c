#pragma once

#include <QFont>
#include <QString>

namespace quenlark {

// The window layouts name the fonts of the Windows desktop. Tahoma and MS Sans
// Serif come from Wine's free font set where it is installed; Arial is matched
// by a metric-compatible family. A host without them gets the closest family
// it has.
//
// `points` at 96 dots per inch, the resolution the layouts were drawn for: the
// font is sized in pixels so that text keeps its place in the fixed layouts.
QFont layoutFont(const QString& family, double points, bool bold = false, bool italic = false);

// 8.25-point MS Sans Serif, the font of every control that names none.
QFont windowDefaultFont();

// Makes every family the layouts name resolve to `family` alone, as on a host
// without Wine's fonts and Liberation Sans. Call it before the first window:
// tests use it to see the layouts as such a host shows them.
void useOnlyFallbackFont(const QString& family);

// Makes the Windows families known to the font matcher. Runs once; every
// function above calls it, so nobody else needs to.
void registerWindowsFonts();

// The face that text is set in when it must be smaller than a bitmap face
// can draw it (MS Sans Serif comes at one size only).
inline constexpr const char* kScalableFamily = "Tahoma";

// Where Debian's fonts-wine puts Wine's fonts; fontconfig does not index it.
inline constexpr const char* kWineFontFolder = "/usr/share/wine/fonts";

}  // namespace quenlark
