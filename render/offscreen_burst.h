// Draws the item burst at a fraction of the frame's pixels: the particles go into a small target
// without multisampling, depth-tested against the scene's depth reduced to that size (the
// farthest of each block), and one full-screen pass blends the result over the frame. Blending
// thousands of squares costs per pixel and sample; this way each costs a sixteenth of that at
// half resolution under 4x multisampling. The picture is the full-resolution burst's: same
// colours, order and blending.
#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <glm/glm.hpp>

#include "particles/particle_system.h"
#include "render/gl_handle.h"
#include "render/particle_renderer.h"
#include "render/shader_program.h"

namespace quillomar {

class offscreen_burst {
public:
    // Builds the two programs; the targets wait for the first draw. `divisor` is how many frame
    // pixels make one target pixel across and up (2: a quarter of the pixels).
    explicit offscreen_burst(int divisor = 2);

    // Draws `particles` with `drawer` over the bound framebuffer, whose size the viewport gives,
    // as drawing them there directly would: with `blended`, each over what lies behind it by its
    // transparency; without, opaque. Leaves blending, depth and viewport state as it found them.
    void draw(particle_renderer& drawer, const particle_system& particles, const glm::mat4& view,
              const glm::mat4& vp, bool blended);

    // Deletes the targets (the next draw makes them again).
    void release_targets();

    int divisor() const { return divisor_; }
    // What the targets hold now, in bytes, for the memory account.
    std::size_t target_bytes() const;

private:
    void size_targets(glm::ivec2 copy_size, glm::ivec2 low_size, GLenum depth_format);

    int divisor_;
    shader_program reduce_depth_;
    shader_program composite_;
    GLint block_size_location_ = -1;
    GLint origin_location_ = -1;
    GLint frame_location_ = -1;
    gl_vertex_array empty_vao_;
    // The frame's depth, copied (and resolved) from the bound framebuffer.
    gl_framebuffer depth_copy_fbo_;
    gl_texture depth_copy_;
    // The burst's own target.
    gl_framebuffer low_fbo_;
    gl_texture low_color_;
    gl_texture low_depth_;
    glm::ivec2 copy_size_{0};
    glm::ivec2 low_size_{0};
    GLenum depth_format_ = 0;
};

}  // namespace quillomar
