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

clip_planes::clip_planes(const glm::mat4& m) {
    // A point is inside when -w <= x, y, z <= w: each plane is the last row plus or minus another.
    const glm::vec4 row[4] = {{m[0][0], m[1][0], m[2][0], m[3][0]},
                              {m[0][1], m[1][1], m[2][1], m[3][1]},
                              {m[0][2], m[1][2], m[2][2], m[3][2]},
                              {m[0][3], m[1][3], m[2][3], m[3][3]}};
    for (int axis = 0; axis < 3; ++axis) {
        planes[2 * axis] = row[3] + row[axis];
        planes[2 * axis + 1] = row[3] - row[axis];
    }
}

bool clip_planes::outside(const glm::vec3& centre, float radius) const {
    for (const glm::vec4& p : planes) {
        const float length = glm::length(glm::vec3(p));
        // Beyond the plane by more than the radius, with a margin against rounding.
        if (glm::dot(glm::vec3(p), centre) + p.w < -(radius * 1.01f + 1e-3f) * length) {
            return true;
        }
    }
    return false;
}

}  // namespace quillomar
