#include "level/level.h"

#include <algorithm>
#include <cmath>

#include "level/ground_index.h"

namespace quillomar {

float level::height_at(float x, float z) const {
    return cube_top_at(cubes, x, z);
}

void level::place_items() {
    const ground_index ground(cubes, items.size() + initial_items.size());
    for (glm::vec3& p : items) {
        p.y = ground.height_at(p.x, p.z);
    }
    for (glm::vec3& p : initial_items) {
        p.y = ground.height_at(p.x, p.z);
    }
}

void level::restore_items() {
    items = initial_items;
}

}  // namespace quillomar
