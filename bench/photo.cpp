#include "photo.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace quenlark::bench {

namespace {

// Smooth value noise on a lattice, several octaves.
class Noise {
  public:
    explicit Noise(unsigned seed) : values_(256 * 256) {
        std::mt19937 random(seed);
        std::uniform_real_distribution<float> unit(0.f, 1.f);
        for (float& v : values_)
            v = unit(random);
    }
    float at(float x, float y) const {
        const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
        const float fx = smooth(x - x0), fy = smooth(y - y0);
        const float a = lattice(x0, y0), b = lattice(x0 + 1, y0);
        const float c = lattice(x0, y0 + 1), d = lattice(x0 + 1, y0 + 1);
        return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
    }
    float fractal(float x, float y, int octaves) const {
        float sum = 0, amplitude = 0.5f;
        for (int i = 0; i < octaves; ++i) {
            sum += amplitude * at(x, y);
            x *= 2.03f;
            y *= 2.03f;
            amplitude *= 0.5f;
        }
        return sum;
    }

  private:
    static float smooth(float t) { return t * t * (3 - 2 * t); }
    float lattice(int x, int y) const { return values_[(y & 255) * 256 + (x & 255)]; }
    std::vector<float> values_;
};

int clamp255(float v) {
    return std::clamp(int(std::lround(v)), 0, 255);
}

}  // namespace

QImage syntheticPhoto(int width, int height, unsigned seed) {
    QImage image(width, height, QImage::Format_RGB32);
    const Noise noise(seed);
    std::mt19937 random(seed + 1);
    std::normal_distribution<float> grain(0.f, 4.f);
    struct Disc {
        float x, y, r, red, green, blue;
    };
    const Disc discs[] = {{0.30f, 0.62f, 0.16f, 220, 120, 90},
                          {0.68f, 0.55f, 0.12f, 70, 140, 210},
                          {0.52f, 0.30f, 0.07f, 250, 215, 80}};
    const float scale = 8.0f / float(std::max(width, height));
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const float v = float(y) / height;
        for (int x = 0; x < width; ++x) {
            const float u = float(x) / width;
            // Sky: deep blue at the top to haze at the horizon.
            float r = 40 + 170 * v, g = 90 + 130 * v, b = 200 + 40 * v;
            // Hills: a noisy horizon, green-brown texture below it.
            const float horizon = 0.55f + 0.12f * (noise.fractal(u * 3.f, 0.5f, 4) - 0.5f);
            if (v > horizon) {
                // Meadow texture with patches of flowers in every hue.
                const float t = noise.fractal(x * scale * 4, y * scale * 4, 5);
                r = 60 + 90 * t;
                g = 90 + 100 * t;
                b = 40 + 40 * t;
                const float patch = noise.fractal(x * scale * 2 + 50, y * scale * 2, 3);
                if (patch > 0.55f) {
                    const float hue = noise.fractal(x * scale * 6 + 99, y * scale * 6, 2) * 12.f;
                    const float mix = std::min(1.f, (patch - 0.55f) * 8);
                    r += mix * (127 + 127 * std::sin(hue) - r);
                    g += mix * (127 + 127 * std::sin(hue + 2.09f) - g);
                    b += mix * (127 + 127 * std::sin(hue + 4.19f) - b);
                }
            }
            // Discs lit from the upper left, with soft edges.
            for (const Disc& d : discs) {
                const float dx = (u - d.x) * width / height, dy = v - d.y;
                const float dist = std::sqrt(dx * dx + dy * dy);
                const float edge = std::clamp((d.r - dist) * height / 3.f, 0.f, 1.f);
                if (edge <= 0)
                    continue;
                const float light = std::clamp(1.1f - (dx + dy) / d.r * 0.6f, 0.3f, 1.3f);
                r = r + (d.red * light - r) * edge;
                g = g + (d.green * light - g) * edge;
                b = b + (d.blue * light - b) * edge;
            }
            // Fine stripes in a band: detail that only an area filter keeps grey.
            if (v > 0.88f && v < 0.92f && (x / 2) % 2 == 0) {
                r *= 0.5f;
                g *= 0.5f;
                b *= 0.5f;
            }
            row[x] = qRgb(clamp255(r + grain(random)), clamp255(g + grain(random)),
                          clamp255(b + grain(random)));
        }
    }
    return image;
}

}  // namespace quenlark::bench
