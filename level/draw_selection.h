// Which cubes and items the main pass draws, and with which model matrix. Kept apart from the GL
// calls so the culling and rotation choices can be checked without a context.
#pragma once

#include <cstddef>
#include <glm/glm.hpp>
#include <vector>

#include "level/level_matrices.h"
#include "camera/view_frustum.h"

namespace quillomar {

// Calls draw(model_matrix) for every cube that is not culled, in list order. With culling on, a
// cube whose sphere (centre p + (1, 1, 1), radius 2) lies outside the frustum is skipped; the
// rotation index keeps counting skipped cubes, so no other cube changes its turn.
template <class Draw>
void for_each_drawn_cube(const std::vector<glm::vec3>& cubes, bool culling,
                         const view_frustum& frustum, Draw&& draw) {
    for (std::size_t i = 0; i < cubes.size(); ++i) {
        const glm::vec3& p = cubes[i];
        if (culling &&
            frustum.sphere_in_frustum(p + glm::vec3(1.0f), 2.0f) == view_frustum::outside) {
            continue;
        }
        draw(cube_matrix(p, i));
    }
}

// The same for items, tested with their own position as centre and radius 1.
template <class Draw>
void for_each_drawn_item(const std::vector<glm::vec3>& items, bool culling,
                         const view_frustum& frustum, Draw&& draw) {
    for (const glm::vec3& p : items) {
        if (culling && frustum.sphere_in_frustum(p, 1.0f) == view_frustum::outside) {
            continue;
        }
        draw(item_matrix(p));
    }
}

}  // namespace quillomar
