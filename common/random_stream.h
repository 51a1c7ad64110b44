// The core's one source of randomness: a seeded PCG32 stream (permuted congruential generator,
// XSH-RR output). Integer arithmetic only, so the same seed gives the same numbers on every
// compiler, library and processor; std::rand and the standard distributions give no such
// promise, and std::rand is shared with whatever else the process runs.
#pragma once

#include <cstdint>

namespace quillomar {

class random_stream {
public:
    explicit random_stream(std::uint64_t seed = 0x853c49e6748fea9bULL,
                           std::uint64_t stream = 0xda3e39cb94b95bdbULL)
        : increment_((stream << 1u) | 1u) {
        next();
        state_ += seed;
        next();
    }

    // 32 uniformly distributed bits.
    std::uint32_t next() {
        const std::uint64_t old = state_;
        state_ = old * 6364136223846793005ULL + increment_;
        const auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
        const auto rotation = static_cast<std::uint32_t>(old >> 59u);
        return (xorshifted >> rotation) | (xorshifted << ((32u - rotation) & 31u));
    }

    // A uniform integer in [0, bound) for bound > 0, without modulo bias (rejection of the
    // short last bucket); 0 for bound 0.
    std::uint32_t below(std::uint32_t bound) {
        if (bound == 0) {
            return 0;
        }
        const std::uint32_t threshold = (0u - bound) % bound;
        for (;;) {
            const std::uint32_t r = next();
            if (r >= threshold) {
                return r % bound;
            }
        }
    }

    // A uniform integer in [low, high] (inclusive); low for high < low.
    int between(int low, int high) {
        if (high <= low) {
            return low;
        }
        return low + static_cast<int>(below(static_cast<std::uint32_t>(high - low) + 1u));
    }

    // A float in [0, 1) from the top 24 bits, exact in every float implementation.
    float unit() { return static_cast<float>(next() >> 8u) * (1.0f / 16777216.0f); }

private:
    std::uint64_t state_ = 0;
    std::uint64_t increment_;
};

}  // namespace quillomar
