#pragma once

#include <glm/glm.hpp>

namespace quillomar {

// One particle of the item burst. A particle is free once `life` drops below zero.
struct particle {
    glm::vec3 position{0.0f};
    glm::vec3 speed{0.0f};
    glm::vec4 color{0.0f};  // r, g, b, a, each in 0..1
    float size = 0.0f;
    float life = -1.0f;             // seconds left
    float camera_distance = -1.0f;  // -1 while dead, so the far-to-near sort puts it last
};

}  // namespace quillomar
