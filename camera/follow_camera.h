// The camera that hangs behind and above the ball and looks at it.
#pragma once

#include <glm/glm.hpp>

namespace quillomar {

struct follow_camera {
    glm::vec3 position{0.0f};
    glm::vec3 front{0.0f};  // only aims the view built by init
    glm::vec3 up{0.0f};
    float distance = 0.0f;  // how far the eye stays behind and above the ball
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
    // The projection's arguments, also read by the view frustum's set-up.
    float fov = 0.0f;
    float aspect = 0.0f;
    float near_plane = 0.0f;
    float far_plane = 0.0f;

    // Places the eye at (x, y, z) looking down and ahead, and builds both matrices.
    void init(float x, float y, float z);

    // Moves the eye `distance` behind the ball against its horizontal heading and `distance` above
    // it, looking at the ball's centre. A degenerate view (heading with no horizontal part) keeps
    // the previous view matrix.
    void update(const glm::vec3& ball_position, const glm::vec3& ball_heading);
};

}  // namespace quillomar
