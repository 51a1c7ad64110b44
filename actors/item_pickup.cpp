#include "actors/item_pickup.h"

#include <cstddef>

namespace quillomar {
namespace {

double wide(float v) {
    return static_cast<double>(v);
}

}  // namespace

bool in_pickup_box(const glm::vec3& p, const glm::vec3& b) {
    return wide(p.x) > wide(b.x) - 1.5 && wide(b.x) + 1.5 > wide(p.x) &&
           wide(p.z) > wide(b.z) - 1.5 && wide(b.z) + 1.5 > wide(p.z) &&
           wide(p.y) > wide(b.y) - 1.0 && b.y + 1.0f > p.y;
}

std::vector<glm::vec3> pick_up_items(std::vector<glm::vec3>& items, const glm::vec3& ball) {
    std::vector<glm::vec3> collected;
    // One pass that compacts in place: an item is tested unless the one before it was just
    // taken, which is exactly what the index walk over a shrinking list does.
    std::size_t kept = 0;
    bool previous_taken = false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const glm::vec3 p = items[i];
        const bool taken = !previous_taken && in_pickup_box(p, ball);
        if (taken) {
            collected.push_back(p);
        } else {
            items[kept++] = p;
        }
        previous_taken = taken;
    }
    items.resize(kept);
    return collected;
}

bool enemy_touches_ball(const glm::vec3& e, const glm::vec3& b) {
    return e.x > b.x - 2.0f && b.x + 2.0f > e.x && e.z > b.z - 2.0f && b.z + 2.0f > e.z &&
           wide(e.y) > wide(b.y) - 1.0 && b.y + 1.0f > e.y;
}

}  // namespace quillomar
