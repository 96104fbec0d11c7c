#pragma once

#include <QImage>
#include <string>
#include <vector>

namespace quenlark::converter::testing {

// An animated GIF as giflib reads it back, each frame as a viewer shows it:
// drawn over what the frames before it left.
struct GifFrames {
    std::vector<QImage> frames;  // the whole canvas, RGB32
    std::vector<int> delays;     // hundredths of a second; 0 where none is given
    std::vector<QRect> areas;    // the part of the canvas each frame draws
    bool loopsForever = false;   // the NETSCAPE2.0 loop with a count of 0
    std::string error;           // giflib's reason when it cannot read the file
};

GifFrames readGif(const std::string& bytes);

}  // namespace quenlark::converter::testing
