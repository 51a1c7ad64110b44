// `quillomar --generate`: a finishable level made from a seed. The same seed and size give the
// same bytes on every machine and build: the only randomness is the core's integer stream, and a
// candidate is accepted by the route planner alone, which works in whole cells and integers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillomar {

enum class level_size { small, medium, large };

// "small", "medium" or "large"; nothing for any other text.
std::optional<level_size> parse_level_size(std::string_view name);

// The level file's text: a run of platforms from the start to the finish, joined by rolls, steps
// down, gaps to jump, and walls that a flip turns into steps down, with the item that pays for
// each flip on the way to it, and spiders walking platforms beside the way.
std::string generate_level(std::uint64_t seed, level_size size);

}  // namespace quillomar
