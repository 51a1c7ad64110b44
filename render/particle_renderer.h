// Draws the item burst: one instanced draw of the particle system's staged particles as
// camera-facing squares.
#pragma once

#include <glm/glm.hpp>

#include "particles/particle_system.h"
#include "render/gl_handle.h"
#include "render/shader_program.h"

namespace quillomar {

// Particles nearer the eye than the first distance are not drawn; they fade in up to the second.
// The follow camera stays about 14 units from the ball and a burst spreads about 6 around it, so
// from there the burst looks as it always has; only a cloud the camera passes through fades.
inline constexpr float particle_fade_begin = 2.0f;
inline constexpr float particle_fade_end = 5.0f;

class particle_renderer {
public:
    // Builds the shader and the vertex array with the static square and the three per-instance
    // buffers sized for the whole pool.
    particle_renderer();

    // Uploads the staged particles and draws them; blending and depth state are the caller's.
    void draw(const particle_system& particles, const glm::mat4& view, const glm::mat4& vp);

    // Where the fade begins and ends; a benchmark may move them.
    glm::vec2 near_fade{particle_fade_begin, particle_fade_end};

private:
    shader_program shader_;
    GLint camera_right_location_ = -1;
    GLint camera_up_location_ = -1;
    GLint vp_location_ = -1;
    GLint camera_position_location_ = -1;
    GLint near_fade_location_ = -1;
    gl_vertex_array vao_;
    gl_buffer square_buffer_;
    gl_buffer position_buffer_;
    gl_buffer size_buffer_;
    gl_buffer color_buffer_;
};

}  // namespace quillomar
