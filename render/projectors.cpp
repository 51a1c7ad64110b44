#include "render/projectors.h"

#include <iostream>

#include <glm/gtc/matrix_transform.hpp>

#include "framework/asset_paths.h"
#include "framework/qlmFramework.h"
#include "render/gl_handle.h"
#include "render/shader_constants.h"
#include "render/texture.h"
#include "render/gl_platform.h"

namespace quillomar {
namespace {

void create_target(GLenum filter, GLuint& fbo, GLuint& color, GLuint& depth, const char* message) {
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);

    glGenTextures(1, &color);
    glBindTexture(GL_TEXTURE_2D, color);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, projector_map_size, projector_map_size, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, border_wrap());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, border_wrap());
    // No depth comparison on the colour image: it means nothing there, and WebGL then reads the
    // image as a comparison's result (red).
    glBindTexture(GL_TEXTURE_2D, 0);

    glGenTextures(1, &depth);
    glBindTexture(GL_TEXTURE_2D, depth);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, projector_map_size, projector_map_size, 0,
                 GL_DEPTH_COMPONENT, depth_texel_type(GL_DEPTH_COMPONENT24), nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_REF_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glBindTexture(GL_TEXTURE_2D, 0);

    attach_texture(GL_COLOR_ATTACHMENT0, color);
    attach_texture(GL_DEPTH_ATTACHMENT, depth);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::cout << message << std::endl;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

}  // namespace

glm::mat4 projector_view_at(const glm::vec2& cell, float top, float z_offset) {
    const glm::vec3 eye(cell.x, top + 2.0f, cell.y + z_offset);
    const glm::vec3 target(cell.x, top, cell.y);
    return glm::lookAt(eye, target, glm::vec3(0.0f, 1.0f, 0.0f));
}

glm::mat4 judged_square_view(const glm::vec2& finish, float top) {
    // Straight down, north at the image's top.
    return glm::lookAt(glm::vec3(finish.x, top + 8.0f, finish.y), glm::vec3(finish.x, top, finish.y),
                       glm::vec3(0.0f, 0.0f, -1.0f));
}

glm::mat4 judged_square_projection() {
    return glm::ortho(-finish_reach, finish_reach, -finish_reach, finish_reach, 0.1f, 50.0f);
}

void projectors::create_program() {
    if (projector_shader.program == 0) {
        projector_shader =
            shader_program(assets::projector_vertex_shader, assets::projector_fragment_shader);
    }
}

void projectors::setup(preloaded_assets* preloaded) {
    create_program();
    projector_mvp_location = glGetUniformLocation(projector_shader.program, "mvp");
    create_target(projector_filter, projector_depth_fbo, projector_color_texture,
                  projector_depth_texture,
                  "ERROR::FRAMEBUFFER:: Framebuffer projector_depth_fbo IS NOT COMPLETE");
    create_target(projector_filter, projector_depth_fbo2, projector_color_texture2,
                  projector_depth_texture2,
                  "ERROR::FRAMEBUFFER:: Framebuffer projector_depth_fbo2 IS NOT COMPLETE");
    start_image = load_texture(assets::start_texture, preloaded);
    finish_image = load_texture(assets::finish_texture, preloaded);
}

projector_matrices projectors::render(const glm::vec2& start, const glm::vec2& finish,
                                      const height_lookup& height_at,
                                      const glm::mat4& projector_projection, const glm::mat4& bias,
                                      const depth_draw& draw_scene,
                                      const depth_signature& signature) {
    auto top_at = [&](const glm::vec2& cell) {
        return height_at ? height_at(cell.x, cell.y) : -22.0f;
    };
    const GLenum color_target = GL_COLOR_ATTACHMENT0;
    projector_matrices result;

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glViewport(0, 0, projector_map_size, projector_map_size);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.1f, 4.0f);
    // Kept targets were drawn in an earlier frame, so no pass may depend on what the frame before
    // left behind: both faces are drawn, as the frames have always drawn them after the first.
    glDisable(GL_CULL_FACE);
    glUseProgram(projector_shader.program);

    // One pass: clear and draw the projector's targets, unless they already hold this scene.
    const auto pass = [&](int which, GLuint fbo, GLuint image, const glm::mat4& mvp) {
        const std::optional<std::uint64_t> now =
            signature ? std::optional<std::uint64_t>(signature(mvp)) : std::nullopt;
        if (now && drawn_signature[which] == now) {
            return;
        }
        drawn_signature[which] = now;
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glDrawBuffers(1, &color_target);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(texture_unit::scratch));
        glBindTexture(GL_TEXTURE_2D, image);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glUniform1i(glGetUniformLocation(projector_shader.program, "tex"), texture_unit::scratch);
        if (draw_scene) {
            draw_scene(mvp, projector_mvp_location);
        }
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    };

    result.projector_view = projector_view_at(start, top_at(start), 1.0f);
    result.projector_mvp = projector_projection * result.projector_view;
    result.projected_matrix = bias * projector_projection * result.projector_view;
    pass(0, projector_depth_fbo, start_image, result.projector_mvp);
    QLM_CHECK_GL();

    // The finish image falls where the finish is judged, or as the projector has always cast it.
    const glm::mat4 finish_projection =
        finish_on_judged_square ? judged_square_projection() : projector_projection;
    result.projector_view = finish_on_judged_square
                                ? judged_square_view(finish, top_at(finish))
                                : projector_view_at(finish, top_at(finish), -1.0f);
    result.projector_mvp = finish_projection * result.projector_view;
    result.projected_matrix2 = bias * finish_projection * result.projector_view;
    pass(1, projector_depth_fbo2, finish_image, result.projector_mvp);

    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(texture_unit::scratch));
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glUseProgram(0);
    return result;
}

projectors::~projectors() {
    destroy_framebuffers();
    release_gl_names(gl_kind::texture,
                     {&projector_color_texture, &projector_depth_texture, &projector_color_texture2,
                      &projector_depth_texture2, &start_image, &finish_image});
}

void projectors::destroy_framebuffers() {
    release_gl_names(gl_kind::framebuffer, {&projector_depth_fbo, &projector_depth_fbo2});
}

}  // namespace quillomar
