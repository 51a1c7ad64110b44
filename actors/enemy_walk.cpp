#include "actors/enemy_walk.h"

#include <algorithm>

namespace quillomar {
namespace {

// The probe offsets are rounded as the walk has always rounded them: the +x probe adds in single
// precision, the others add a double and round the sum to single.
float rounded(double value) {
    return static_cast<float>(value);
}

}  // namespace

void walk_enemy(glm::vec3& p, glm::vec3& h, float step, const ground_index& ground) {
    const float own_ground = p.y + enemy_sink;
    if (h.x != 0.0f) {
        if (h.x > 0.0f) {
            if (ground.height_at(p.x + 2.5f, p.z) == own_ground) {
                p.x += step;
            } else {
                h = glm::vec3(0.0f, 0.0f, -1.0f);
            }
        } else {
            if (ground.height_at(rounded(static_cast<double>(p.x) - 0.5), p.z) == own_ground) {
                p.x -= step;
            } else {
                h = glm::vec3(0.0f, 0.0f, 1.0f);
            }
        }
        return;
    }
    if (h.z > 0.0f) {
        if (ground.height_at(p.x, rounded(static_cast<double>(p.z) + 2.5)) == own_ground) {
            p.z += step;
        } else {
            h = glm::vec3(1.0f, 0.0f, 0.0f);
        }
    } else {
        if (ground.height_at(p.x, rounded(static_cast<double>(p.z) - 0.5)) == own_ground) {
            p.z -= step;
        } else {
            h = glm::vec3(-1.0f, 0.0f, 0.0f);
        }
    }
}

}  // namespace quillomar
