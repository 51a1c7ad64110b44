// How much a level file may hold. Reading stops at each limit with one console line, so that a
// file made by a program or a slip of the hand cannot make the game build more than it can
// simulate and draw at a playable rate, nor allocate without bound.
//
// Measured with quillomar_bench under software rendering (Mesa llvmpipe): a level at all three
// limits at once takes about 1.5 times the frame CPU time of the shipped
// levels/benchmark_64x64.txt (64 x 64 cells, 100 spiders).
#pragma once

#include <cstddef>

namespace quillomar {

// 128 x 128 cells, four times the benchmark level's area: every cube is a physics body, and each
// one in view is drawn in every pass.
inline constexpr std::size_t max_level_cubes = 128 * 128;

// Every item is drawn in each pass and adds its own shadow region.
inline constexpr std::size_t max_level_items = 256;

// Spiders cost the most each: eight animated legs, walking, and a shadow each.
inline constexpr std::size_t max_level_enemies = 256;

// Far above any level written by hand; bounds the time spent reading a file of anything.
inline constexpr std::size_t max_level_file_bytes = std::size_t{64} << 20;

// A title or hint is one line of the HUD; the rest of a longer one is not kept.
inline constexpr std::size_t max_level_text_bytes = 160;

}  // namespace quillomar
