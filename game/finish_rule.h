// Where the finish is reached: the ball's centre nearer than finish_reach to the finish point in
// both x and z, whatever its height. The renderer draws the finish image of a game started from
// the title menu over exactly this square, so that the finish as drawn is the finish as judged.
#pragma once

#include <cmath>

#include <glm/glm.hpp>

namespace quillomar {

inline constexpr float finish_reach = 2.0f;

inline bool at_finish(const glm::vec2& finish, const glm::vec3& ball) {
    return std::fabs(finish.x - ball.x) < finish_reach && std::fabs(finish.y - ball.z) < finish_reach;
}

}  // namespace quillomar
