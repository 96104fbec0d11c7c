#pragma once

#include <QImage>

namespace quenlark::bench {

// A photograph of our own making, `width` x `height`: a sky gradient over
// hills of fractal noise with patches of flowers in every hue, soft-edged
// discs lit from one side, fine stripes and sensor-like grain, so that
// smooth ramps, edges, texture and many distinct colours are all there. The
// same `seed` gives the same picture.
QImage syntheticPhoto(int width, int height, unsigned seed = 1);

}  // namespace quenlark::bench
