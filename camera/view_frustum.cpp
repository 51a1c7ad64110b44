#include "camera/view_frustum.h"

#include <cmath>

#include "common/float_maths.h"

namespace quillomar {
namespace {

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Zero when v has no direction (zero length, or a length that overflows).
bool normalized(const glm::vec3& v, glm::vec3& out) {
    const float length = glm::length(v);
    if (!(length > 0.0f) || !std::isfinite(length)) {
        return false;
    }
    out = v / length;
    return finite(out);
}

view_frustum::plane plane_through(const glm::vec3& normal, const glm::vec3& point) {
    view_frustum::plane result;
    result.normal = glm::normalize(normal);
    result.d = -glm::dot(result.normal, point);
    return result;
}

}  // namespace

void view_frustum::set_internals(float fovy, float width_ratio, float near_distance,
                                 float far_distance) {
    angle = fovy;
    ratio = width_ratio;
    near_d = near_distance;
    far_d = far_distance;
    // The same half-angle tangent as perspective() builds its matrix from.
    tang = std::fabs(fmath::tan(angle * 0.5f));
    nh = near_d * tang;
    nw = nh * ratio;
}

void view_frustum::set_camera(const glm::vec3& eye, const glm::vec3& look_at, const glm::vec3& up) {
    glm::vec3 z_axis;
    glm::vec3 x_axis;
    if (!normalized(eye - look_at, z_axis) || !normalized(glm::cross(up, z_axis), x_axis)) {
        return;
    }
    const glm::vec3 y_axis = glm::cross(z_axis, x_axis);

    const glm::vec3 near_centre = eye - z_axis * near_d;
    const glm::vec3 far_centre = eye - z_axis * far_d;

    std::array<plane, 6> next;
    next[near_plane] = plane_through(-z_axis, near_centre);
    next[far_plane] = plane_through(z_axis, far_centre);

    const glm::vec3 top_point = near_centre + y_axis * nh;
    const glm::vec3 bottom_point = near_centre - y_axis * nh;
    const glm::vec3 left_point = near_centre - x_axis * nw;
    const glm::vec3 right_point = near_centre + x_axis * nw;
    next[top] = plane_through(glm::cross(glm::normalize(top_point - eye), x_axis), top_point);
    next[bottom] =
        plane_through(glm::cross(x_axis, glm::normalize(bottom_point - eye)), bottom_point);
    next[left] = plane_through(glm::cross(glm::normalize(left_point - eye), y_axis), left_point);
    next[right] = plane_through(glm::cross(y_axis, glm::normalize(right_point - eye)), right_point);

    // A degenerate near rectangle (near_d or the opening at zero) would leave NaN normals.
    for (const plane& p : next) {
        if (!finite(p.normal) || !std::isfinite(p.d)) {
            return;
        }
    }
    planes = next;
}

int view_frustum::sphere_in_frustum(const glm::vec3& center, float radius) const {
    const float reach = radius + 1.5f;
    int result = inside;
    for (const plane& p : planes) {
        const float distance = glm::dot(p.normal, center) + p.d;
        if (distance < -reach) {
            result = outside;
        } else if (distance < reach) {
            result = intersect;
        }
    }
    return result;
}

}  // namespace quillomar
