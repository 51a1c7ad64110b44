// The way the ball faces when it drops onto the start: where W first pushes it. North is up the
// layout (towards row 0), east along a row (towards higher columns).
#pragma once

#include <optional>
#include <string_view>

namespace quillomar {

enum class facing { north, east, south, west };

// "north", "east", "south" or "west", exactly; nothing for any other text.
std::optional<facing> facing_named(std::string_view word);
const char* facing_name(facing f);
// The next one clockwise: north, east, south, west, north.
facing turned_right(facing f);

}  // namespace quillomar
