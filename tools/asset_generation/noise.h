// Deterministic hashing and tileable value noise for the asset generators. Everything derives from
// integer hashes of the lattice point and a seed, so the same seed gives the same bytes on every
// run; nothing reads the clock or a random device.
#pragma once

#include <cmath>
#include <cstdint>

namespace quillomar::tools {

inline std::uint32_t hash32(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

inline std::uint32_t hash3(std::uint32_t a, std::uint32_t b, std::uint32_t seed) {
    return hash32(a ^ hash32(b + 0x9e3779b9U * hash32(seed + 0x632be5abU)));
}

// A value in [0, 1) for the lattice point (x, y) and the seed.
inline double lattice_value(int x, int y, std::uint32_t seed) {
    return hash3(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), seed) / 4294967296.0;
}

inline int wrap_index(int i, int period) {
    const int r = i % period;
    return r < 0 ? r + period : r;
}

inline double smooth(double t) {
    return t * t * (3.0 - 2.0 * t);
}

// Value noise in [0, 1) on a lattice that repeats every `period` cells in x and y, so textures
// built from it tile without a seam under GL_REPEAT.
inline double value_noise(double x, double y, int period, std::uint32_t seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int x0 = wrap_index(static_cast<int>(fx), period);
    const int y0 = wrap_index(static_cast<int>(fy), period);
    const int x1 = wrap_index(x0 + 1, period);
    const int y1 = wrap_index(y0 + 1, period);
    const double tx = smooth(x - fx);
    const double ty = smooth(y - fy);
    const double a = lattice_value(x0, y0, seed);
    const double b = lattice_value(x1, y0, seed);
    const double c = lattice_value(x0, y1, seed);
    const double d = lattice_value(x1, y1, seed);
    const double top = a + (b - a) * tx;
    const double bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

// Sum of `octaves` noise layers, each twice as fine and half as strong; u and v in [0, 1) cover
// one tile of `period` base cells. Result in [0, 1).
inline double fractal_noise(double u, double v, int period, int octaves, std::uint32_t seed) {
    double sum = 0.0;
    double weight = 0.5;
    double total = 0.0;
    int p = period;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * value_noise(u * p, v * p, p, seed + static_cast<std::uint32_t>(i) * 101U);
        total += weight;
        weight *= 0.5;
        p *= 2;
    }
    return sum / total;
}

}  // namespace quillomar::tools
