#include "render/mip_chain.h"

#include <algorithm>

namespace quillomar {

std::vector<std::uint8_t> next_mip_level(const std::vector<std::uint8_t>& texels, int w, int h) {
    const int next_w = std::max(1, w / 2);
    const int next_h = std::max(1, h / 2);
    std::vector<std::uint8_t> next(static_cast<std::size_t>(next_w) * next_h * 4);
    const auto at = [&](int x, int y, int channel) {
        return static_cast<unsigned>(texels[(static_cast<std::size_t>(y) * w + x) * 4 + channel]);
    };
    const auto half = [](unsigned a, unsigned b) { return (a + b + 1) / 2; };
    for (int y = 0; y < next_h; ++y) {
        // A level one texel high or wide averages along the other side only.
        const int y0 = 2 * y;
        const int y1 = std::min(h - 1, y0 + 1);
        for (int x = 0; x < next_w; ++x) {
            const int x0 = 2 * x;
            const int x1 = std::min(w - 1, x0 + 1);
            for (int c = 0; c < 4; ++c) {
                next[(static_cast<std::size_t>(y) * next_w + x) * 4 + c] =
                    static_cast<std::uint8_t>(half(half(at(x0, y0, c), at(x1, y0, c)),
                                                   half(at(x0, y1, c), at(x1, y1, c))));
            }
        }
    }
    return next;
}

}  // namespace quillomar
