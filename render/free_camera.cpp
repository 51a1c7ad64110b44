#include "render/free_camera.h"

#include <GLFW/glfw3.h>

#include <glm/gtc/quaternion.hpp>

#include "framework/seams.h"
#include "render/camera_math.h"

namespace quillomar {
namespace {

constexpr float aspect_ratio = 1.3333334f;
constexpr float near_distance = 0.1f;
constexpr float far_distance = 100.0f;

}  // namespace

void free_camera::init(float x, float y, float z, GLFWwindow* key_window) {
    position = glm::vec3(x, y, z);
    angles = glm::vec3(-0.5f, 0.0f, 0.0f);
    // 45 degrees down until the first update derives the look direction from the angles.
    front = glm::vec3(0.0f, -0.70710677f, -0.70710677f);
    up = glm::vec3(0.0f, 1.0f, 0.0f);
    speed = 1.0f;
    fov = 45.0f;
    window = key_window;
    projection = perspective(fov, aspect_ratio, near_distance, far_distance);
    try_look_at(position, position + front, up, view);
}

void free_camera::update(float dt) {
    const float turn = dt * speed;
    if (key_down(window, GLFW_KEY_LEFT)) {
        angles.y += turn;
    }
    if (key_down(window, GLFW_KEY_RIGHT)) {
        angles.y -= turn;
    }
    if (key_down(window, GLFW_KEY_Q)) {
        angles.x += turn;
    }
    if (key_down(window, GLFW_KEY_E)) {
        angles.x -= turn;
    }

    const glm::quat orientation(angles);
    front = glm::normalize(orientation * glm::vec3(0.0f, 0.0f, -1.0f));

    const float step = dt * speed * 3.0f;
    if (key_down(window, GLFW_KEY_UP)) {
        position += front * step;
    }
    if (key_down(window, GLFW_KEY_DOWN)) {
        position -= front * step;
    }

    projection = perspective(fov, aspect_ratio, near_distance, far_distance);
    try_look_at(position, position + front, up, view);
}

}  // namespace quillomar
