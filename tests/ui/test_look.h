#pragma once

#include <QFontInfo>
#include <QString>

#include "program_fonts.h"
#include "program_style.h"

namespace quenlark::testing {

// The family that CTest's fallback-font runs ask for in QUENLARK_TEST_FONT:
// the windows are then laid out with it alone, as on a host that has none of
// the fonts the layouts name. Empty for the normal runs.
inline QString testFallbackFont() {
    return qEnvironmentVariable("QUENLARK_TEST_FONT");
}

// The program's look, with the fallback font alone when a run asks for it.
inline void applyTestLook() {
    if (!testFallbackFont().isEmpty())
        useOnlyFallbackFont(testFallbackFont());
    applyProgramLook();
}

// In a fallback-font run, whether `font` is really drawn in the fallback
// family, so that the run proves what it claims; true in the normal runs.
inline bool drawnInTheFallbackFont(const QFont& font) {
    return testFallbackFont().isEmpty() || QFontInfo(font).family() == testFallbackFont();
}

}  // namespace quenlark::testing
