#include "camera/free_camera.h"

#include <glm/gtc/quaternion.hpp>

#include "camera/camera_math.h"

namespace quillomar {
namespace {

constexpr float near_distance = 0.1f;
constexpr float far_distance = 100.0f;

}  // namespace

void free_camera::init(float x, float y, float z) {
    position = glm::vec3(x, y, z);
    angles = glm::vec3(-0.5f, 0.0f, 0.0f);
    // 45 degrees down until the first update derives the look direction from the angles.
    front = glm::vec3(0.0f, -0.70710677f, -0.70710677f);
    up = glm::vec3(0.0f, 1.0f, 0.0f);
    speed = 1.0f;
    fov = 45.0f;
    projection = perspective(fov, aspect, near_distance, far_distance);
    try_look_at(position, position + front, up, view);
}

void free_camera::update(float dt, const free_camera_controls& controls) {
    const float turn = dt * speed;
    if (controls.yaw_left) {
        angles.y += turn;
    }
    if (controls.yaw_right) {
        angles.y -= turn;
    }
    if (controls.pitch_up) {
        angles.x += turn;
    }
    if (controls.pitch_down) {
        angles.x -= turn;
    }

    const glm::quat orientation(angles);
    front = glm::normalize(orientation * glm::vec3(0.0f, 0.0f, -1.0f));

    const float step = dt * speed * 3.0f;
    if (controls.forward) {
        position += front * step;
    }
    if (controls.backward) {
        position -= front * step;
    }

    projection = perspective(fov, aspect, near_distance, far_distance);
    try_look_at(position, position + front, up, view);
}

}  // namespace quillomar
