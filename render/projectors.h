// The two projectors that cast the start and finish images onto the level. Each frame every
// projector draws the scene's depth from just above its field into a 512 x 512 colour and depth
// target; the main pass overlays the colour where its own depth comparison passes.
#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <glm/glm.hpp>

#include "game/finish_rule.h"

#include "render/shader_program.h"

namespace quillomar {

struct preloaded_assets;

// Draws depth-only geometry: sets the mat4 uniform at `location` of the program in use to
// view_projection times each object's model matrix and draws the object's triangles.
using depth_draw = std::function<void(const glm::mat4& view_projection, GLint location)>;

// Top of the cube under a world point (x, z), or -22 where there is none.
using height_lookup = std::function<float(float x, float z)>;

// A fingerprint of what a depth_draw would draw with the given view-projection.
using depth_signature = std::function<std::uint64_t(const glm::mat4& view_projection)>;

inline constexpr int projector_map_size = 512;

// The projector matrices of one frame. projector_view and projector_mvp are the finish
// projector's, the last one rendered.
struct projector_matrices {
    glm::mat4 projector_view{1.0f};
    glm::mat4 projector_mvp{1.0f};
    glm::mat4 projected_matrix{1.0f};   // bias x projection x start projector's view
    glm::mat4 projected_matrix2{1.0f};  // bias x projection x finish projector's view
};

// The view of a projector over the field at `cell` (x, z) whose top is `top`: from 2 units above
// the top and `z_offset` units along z, looking down at the field's corner point.
glm::mat4 projector_view_at(const glm::vec2& cell, float top, float z_offset);

// Where the finish is judged: the ball's centre nearer than this to the finish point in x and
// in z. With finish_on_judged_square the finish image covers exactly that square, seen from
// straight above through a box of that width.
glm::mat4 judged_square_view(const glm::vec2& finish, float top);
glm::mat4 judged_square_projection();

struct projectors {
    // A game started from the title menu shows the finish where it is judged; the game started
    // without it casts the image as it always has, leaning north over the field.
    bool finish_on_judged_square = false;
    shader_program projector_shader;
    GLint projector_mvp_location = -1;
    GLuint projector_depth_fbo = 0;
    GLuint projector_color_texture = 0;
    GLuint projector_depth_texture = 0;
    GLuint projector_depth_fbo2 = 0;
    GLuint projector_color_texture2 = 0;
    GLuint projector_depth_texture2 = 0;
    GLuint start_image = 0;
    GLuint finish_image = 0;
    GLenum projector_filter = GL_LINEAR;  // min and mag filter of the four targets
    // The fingerprints the start and finish targets hold, when known.
    std::optional<std::uint64_t> drawn_signature[2];

    // Builds the program, both framebuffers and loads the two images. Prints only when a
    // framebuffer is incomplete.
    void setup(preloaded_assets* preloaded = nullptr);
    // Builds the projector program, unless it is built already; setup calls it.
    void create_program();

    // The two projector passes of a frame, start then finish. `draw_scene` draws the ball and the
    // level's depth with the matrix and location it is given. Expects the depth test on with
    // GL_LESS, as every frame leaves it. Ends with framebuffer 0, no program, a 512 x 512
    // viewport, polygon offset fill on and the clear colour (0, 0, 0, 1).
    // With `signature`, a projector whose fingerprint is the one it drew last keeps its targets
    // as they are: the same scene gives the same depth and colour.
    projector_matrices render(const glm::vec2& start, const glm::vec2& finish,
                              const height_lookup& height_at, const glm::mat4& projector_projection,
                              const glm::mat4& bias, const depth_draw& draw_scene,
                              const depth_signature& signature = nullptr);

    // Deletes projector_depth_fbo, then projector_depth_fbo2.
    void destroy_framebuffers();

    projectors() = default;
    // Deletes every GL object still held; the context must be current.
    ~projectors();
    projectors(const projectors&) = delete;
    projectors& operator=(const projectors&) = delete;
};

}  // namespace quillomar
