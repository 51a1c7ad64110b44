#include "camera/follow_camera.h"

#include "camera/camera_math.h"

namespace quillomar {

void follow_camera::init(float x, float y, float z) {
    position = glm::vec3(x, y, z);
    front = glm::vec3(0.0f, -1.0f, -1.0f);
    up = glm::vec3(0.0f, 1.0f, 0.0f);
    distance = 10.0f;
    fov = 45.0f;
    aspect = 1.3333334f;
    near_plane = 0.1f;
    far_plane = 100.0f;
    projection = perspective(fov, aspect, near_plane, far_plane);
    try_look_at(position, position + front, up, view);
}

void follow_camera::update(const glm::vec3& ball_position, const glm::vec3& ball_heading) {
    position = ball_position;
    position.x -= ball_heading.x * distance;
    position.z -= ball_heading.z * distance;
    position.y += distance;
    try_look_at(position, ball_position, up, view);
}

}  // namespace quillomar
