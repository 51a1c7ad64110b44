// Mip levels made on the CPU. Asking the driver to make them costs a software renderer a shader
// compilation on first use (about 50 ms of start-up on llvmpipe); the images are small, so
// halving them here is quicker and gives the same texels.
#pragma once

#include <cstdint>
#include <vector>

namespace quillomar {

// The next level of a 4-byte-per-texel image of w x h texels (both powers of two, one of them
// above 1): each texel is the average of its 2 x 2 block, rounded up in each pair, first along
// rows and then between them, as a bilinear blit at the block's centre rounds 8-bit texels.
std::vector<std::uint8_t> next_mip_level(const std::vector<std::uint8_t>& texels, int w, int h);

constexpr bool is_power_of_two(int n) {
    return n > 0 && (n & (n - 1)) == 0;
}

}  // namespace quillomar
