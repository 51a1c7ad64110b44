// The free-flying camera: arrow keys turn and move it, Q and E pitch it.
#pragma once

#include <glm/glm.hpp>

struct GLFWwindow;

namespace quillomar {

struct free_camera {
    glm::vec3 position{0.0f};
    glm::vec3 angles{0.0f};  // radians: x pitch, y yaw, z roll; neither clamped nor wrapped
    glm::vec3 front{0.0f};
    glm::vec3 up{0.0f};
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
    float speed = 0.0f;  // turn rate in radians per second; moves at three times this in units
    float fov = 0.0f;
    GLFWwindow* window = nullptr;  // whose keys update reads

    void init(float x, float y, float z, GLFWwindow* key_window);

    // One frame of `dt` seconds: Left/Right yaw, Q/E pitch, Up/Down fly along `front`; opposite
    // keys held together cancel. Keys are read through the key seam. A view direction parallel to
    // `up` keeps the previous view matrix.
    void update(float dt);
};

}  // namespace quillomar
