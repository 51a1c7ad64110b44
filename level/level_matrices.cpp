#include "level/level_matrices.h"

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

namespace quillomar {

glm::mat4 cube_matrix(const glm::vec3& position, std::size_t index) {
    static const glm::vec3 axes[3] = {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    const glm::mat4 placed = glm::translate(glm::mat4(1.0f), position);
    return glm::rotate(placed, glm::half_pi<float>(), axes[index % 3]);
}

glm::mat4 cube_depth_matrix(const glm::vec3& position) {
    return glm::translate(glm::mat4(1.0f), position);
}

glm::mat4 item_matrix(const glm::vec3& position) {
    return glm::scale(glm::translate(glm::mat4(1.0f), position), glm::vec3(0.5f));
}

float enemy_heading_angle(const glm::vec3& heading) {
    float angle = 0.0f;
    if (heading.z > 0.0f) {
        angle = glm::half_pi<float>();
    }
    if (heading.z < 0.0f) {
        angle = -glm::half_pi<float>();
    }
    if (heading.x > 0.0f) {
        angle = -glm::pi<float>();
    }
    return angle;
}

glm::mat4 enemy_base_matrix(const glm::vec3& position) {
    return glm::scale(glm::translate(glm::mat4(1.0f), position), glm::vec3(0.015f, 0.01f, 0.015f));
}

glm::mat4 enemy_matrix(const glm::vec3& position, const glm::vec3& heading) {
    return glm::rotate(enemy_base_matrix(position), enemy_heading_angle(heading),
                       glm::vec3(0.0f, 1.0f, 0.0f));
}

std::array<glm::mat4, 8> leg_matrices(const glm::mat4& spider,
                                      const std::vector<glm::vec3>& leg_offsets) {
    std::array<glm::mat4, 8> legs;
    for (std::size_t l = 0; l < legs.size(); ++l) {
        legs[l] = l < leg_offsets.size() ? glm::translate(spider, leg_offsets[l]) : spider;
    }
    return legs;
}

}  // namespace quillomar
