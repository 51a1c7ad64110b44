// The free-flying camera: it turns left and right, pitches up and down and flies along its view.
#pragma once

#include <glm/glm.hpp>

namespace quillomar {

// What the player holds for the free camera in one frame.
struct free_camera_controls {
    bool yaw_left = false;
    bool yaw_right = false;
    bool pitch_up = false;
    bool pitch_down = false;
    bool forward = false;
    bool backward = false;
};

struct free_camera {
    glm::vec3 position{0.0f};
    glm::vec3 angles{0.0f};  // radians: x pitch, y yaw, z roll; neither clamped nor wrapped
    glm::vec3 front{0.0f};
    glm::vec3 up{0.0f};
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
    float speed = 0.0f;  // turn rate in radians per second; moves at three times this in units
    float fov = 0.0f;
    float aspect = 1.3333334f;  // width over height of the picture

    void init(float x, float y, float z);

    // One frame of `dt` seconds: yaw, pitch, then fly along the new `front`; opposite controls
    // held together cancel. A view direction parallel to `up` keeps the previous view matrix.
    void update(float dt, const free_camera_controls& controls);
};

}  // namespace quillomar
