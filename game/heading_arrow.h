// The arrow on the ground ahead of the ball that shows where W pushes it: a flat arrowhead on the
// top of the cube under its point, turned with the ball's heading.
#pragma once

#include <vector>

#include <glm/glm.hpp>

#include "game/game_state.h"

namespace quillomar {

// The arrow's triangles (three corners each) in world space; none while the ball has no
// horizontal heading, or where no cube lies under the arrow's middle.
std::vector<glm::vec3> heading_arrow(const game_state& s);

}  // namespace quillomar
