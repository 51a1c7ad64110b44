// The spiders' walk: each follows the edge of its platform by always turning the same way.
#pragma once

#include <glm/glm.hpp>
#include <vector>

#include "level/ground_index.h"
#include "level/level.h"

namespace quillomar {

// One step of one enemy. The enemy probes the ground just ahead of its cell; when the probe finds
// exactly its own ground height it moves `step` units along its heading, otherwise (a step up or
// down, or no cube) it turns in place: −x → +z → +x → −z → −x.
// The ground test is an exact float comparison of the probe's height with the enemy's y + 0.6.
// That holds for every whole-number top except −2, where a spider turns forever.
void walk_enemy(glm::vec3& position, glm::vec3& heading, float step, const ground_index& ground);

}  // namespace quillomar
