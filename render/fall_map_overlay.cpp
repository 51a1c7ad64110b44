#include "render/fall_map_overlay.h"

#include <algorithm>
#include <vector>

#include "level/ground_index.h"
#include "level/level_cell.h"

namespace quillomar {
namespace {

// Where a fallen ball lies: the ground plane's top.
constexpr float ground_top = -19.0f;
// Just above the top, so the quad wins the depth test against its own cube's face.
constexpr float lift = 0.03f;
// A little inside the cell's square, so neighbouring cells stay apart.
constexpr float half_side = 0.92f;

}  // namespace

glm::vec4 fall_map_colour(float share) {
    const float s = std::clamp(share, 0.0f, 1.0f);
    return {1.0f, 0.9f * (1.0f - s), 0.3f * (1.0f - s), 0.55f + 0.25f * s};
}

void fall_map_overlay::draw(const glm::mat4& view_projection, const level& lvl) {
    if (!shown || deaths.empty()) {
        return;
    }
    long most = 1;
    for (const auto& [cell, count] : deaths) {
        most = std::max(most, count);
    }
    std::vector<tinted_vertex> vertices;
    vertices.reserve(deaths.size() * 6);
    for (const auto& [cell, count] : deaths) {
        const glm::vec2 middle = cell_centre(cell);
        const float x = middle.x;
        const float z = middle.y;
        const float top = lvl.height_at(x, z);
        // height_at is where a ball resting on the cube has its centre, one radius above the face.
        const float y = (top > no_ground ? top - 1.0f : ground_top) + lift;
        const glm::vec4 tint = fall_map_colour(static_cast<float>(count) / static_cast<float>(most));
        const glm::vec3 a(x - half_side, y, z - half_side);
        const glm::vec3 b(x + half_side, y, z - half_side);
        const glm::vec3 c(x + half_side, y, z + half_side);
        const glm::vec3 d(x - half_side, y, z + half_side);
        for (const glm::vec3& p : {a, b, c, a, c, d}) {
            vertices.push_back({p, tint});
        }
    }
    triangles_.draw(vertices, view_projection);
}

}  // namespace quillomar
