#include "camera/camera_math.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

namespace quillomar {
namespace {

// Below this squared length the side vector's direction is rounding noise, not a direction.
constexpr float min_side_length_squared = 1e-12f;

bool is_finite(const glm::mat4& m) {
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            if (!std::isfinite(m[column][row])) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

glm::mat4 perspective(float fovy, float aspect, float near, float far) {
    return glm::perspective(fovy, aspect, near, far);
}

glm::mat4 look_at(const glm::vec3& eye, const glm::vec3& center, const glm::vec3& up) {
    return glm::lookAt(eye, center, up);
}

bool try_look_at(const glm::vec3& eye, const glm::vec3& center, const glm::vec3& up,
                 glm::mat4& out) {
    const glm::vec3 direction = center - eye;
    const float direction_length = glm::length(direction);
    const float up_length = glm::length(up);
    if (!(direction_length > 0.0f) || !(up_length > 0.0f)) {
        return false;
    }
    const glm::vec3 side = glm::cross(direction / direction_length, up / up_length);
    if (!(glm::dot(side, side) > min_side_length_squared)) {
        return false;
    }
    const glm::mat4 result = look_at(eye, center, up);
    if (!is_finite(result)) {
        return false;
    }
    out = result;
    return true;
}

}  // namespace quillomar
