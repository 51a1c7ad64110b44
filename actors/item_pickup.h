// Collecting items and touching spiders: the boxes around the ball centre.
#pragma once

#include <glm/glm.hpp>
#include <vector>

namespace quillomar {

// An item is collected when it lies strictly inside the box 3 units wide in x and z and 2 units
// high around the ball centre.
bool in_pickup_box(const glm::vec3& item, const glm::vec3& ball);

// Removes every collected item from `items`, keeping the order of the rest, and returns the
// collected positions in list order. The list is walked with an index that moves on after a
// removal too, so an item that directly follows a collected one is only tested in the next frame.
std::vector<glm::vec3> pick_up_items(std::vector<glm::vec3>& items, const glm::vec3& ball);

// A spider touches the ball when it lies strictly inside the box 4 units wide in x and z and
// 2 units high around the ball centre.
bool enemy_touches_ball(const glm::vec3& enemy, const glm::vec3& ball);

}  // namespace quillomar
