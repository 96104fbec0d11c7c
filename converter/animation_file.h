#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "logo_bitmap.h"
#include "new_file.h"
#include "result.h"

namespace quenlark::converter {

// How large and how long an animation of a logo is.
struct AnimationOptions {
    // 1: the picture 640 x 480 on its screen, 2: 1280 x 960.
    int scale = 1;
    // At least this long before it starts again, in whole turns of the
    // palette, so that the loop never jumps; 0: one turn.
    double seconds = 0;
};
inline constexpr int kLargestAnimationScale = 2;
inline constexpr double kLongestAnimationSeconds = 60;

// Why `options` cannot be used, or nothing when they can.
std::optional<std::string> checkAnimationOptions(const AnimationOptions& options);

// The number of frames: one for each step of the palette over the length
// asked for, one alone for a logo whose palette does not turn.
int animationFrames(const LogoPicture& logo, const AnimationOptions& options);

// The logo as the start-up screen shows it, as an animated GIF that loops:
// the screen as the boot preview draws it, one frame for each step of the
// palette at the same pace. The first frame is the whole screen; each after
// it is only the part where cycled entries are, the same pixels again under
// that step's palette, so that the file stays small.
Result<std::string> encodeAnimation(const LogoPicture& logo, const AnimationOptions& options);

// Reads the logo file at `logoFile` and writes its animation to `output`.
// Refuses, saying why, a file that Windows would not show as a logo.
Result<Done> saveAnimation(const std::filesystem::path& logoFile,
                           const std::filesystem::path& output, const AnimationOptions& options,
                           ExistingFile existing);

}  // namespace quenlark::converter
