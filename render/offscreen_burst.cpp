#include "render/offscreen_burst.h"
#include "render/gl_platform.h"

#include <algorithm>
#include <cmath>

#include "particles/burst_footprint.h"

namespace quillomar {
namespace {

constexpr const char* quad_vertex_shader = ".\\Quillomar\\shader\\burst\\burst_quad_vertex.glsl";
constexpr const char* reduce_depth_shader =
    ".\\Quillomar\\shader\\burst\\burst_depth_fragment.glsl";
constexpr const char* composite_shader =
    ".\\Quillomar\\shader\\burst\\burst_composite_fragment.glsl";

// The depth format of the bound draw framebuffer: a blit copies depth only between equal formats.
GLenum bound_depth_format() {
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    const GLenum depth = bound == 0 ? GL_DEPTH : GL_DEPTH_ATTACHMENT;
    const GLenum stencil = bound == 0 ? GL_STENCIL : GL_STENCIL_ATTACHMENT;
    GLint type = GL_NONE;
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, depth,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
    if (type == GL_NONE) {
        return GL_NONE;
    }
    GLint depth_bits = 0;
    GLint stencil_bits = 0;
    GLint component = GL_UNSIGNED_NORMALIZED;
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, depth,
                                          GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &depth_bits);
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, depth,
                                          GL_FRAMEBUFFER_ATTACHMENT_COMPONENT_TYPE, &component);
    GLint stencil_type = GL_NONE;
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, stencil,
                                          GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &stencil_type);
    if (stencil_type != GL_NONE) {
        glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, stencil,
                                              GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE,
                                              &stencil_bits);
    }
    if (component == GL_FLOAT) {
        return stencil_bits > 0 ? GL_DEPTH32F_STENCIL8 : GL_DEPTH_COMPONENT32F;
    }
    if (stencil_bits > 0) {
        return GL_DEPTH24_STENCIL8;
    }
    return depth_bits <= 16 ? GL_DEPTH_COMPONENT16 : GL_DEPTH_COMPONENT24;
}

void allocate(GLuint texture, GLenum format, int width, int height, GLenum filter) {
    glBindTexture(GL_TEXTURE_2D, texture);
    const bool depth_stencil = format == GL_DEPTH24_STENCIL8 || format == GL_DEPTH32F_STENCIL8;
    const bool depth = depth_stencil || format == GL_DEPTH_COMPONENT16 ||
                       format == GL_DEPTH_COMPONENT24 || format == GL_DEPTH_COMPONENT32F;
    const GLenum pixel_format = depth_stencil ? GL_DEPTH_STENCIL : depth ? GL_DEPTH_COMPONENT : GL_RGBA;
    const GLenum pixel_type = format == GL_DEPTH32F_STENCIL8 ? GL_FLOAT_32_UNSIGNED_INT_24_8_REV
                              : depth_stencil                ? GL_UNSIGNED_INT_24_8
                              : format == GL_DEPTH_COMPONENT32F ? GL_FLOAT
                              : depth                           ? GL_UNSIGNED_INT
                                                                : GL_UNSIGNED_BYTE;
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, pixel_format,
                 pixel_type, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
}

std::size_t bytes_per_pixel(GLenum format) {
    switch (format) {
        case GL_DEPTH_COMPONENT16:
            return 2;
        case GL_DEPTH32F_STENCIL8:
            return 8;
        default:
            return 4;
    }
}

// The state the passes change, put back as it was when the burst is done.
struct saved_state {
    GLint draw_framebuffer = 0;
    GLint read_framebuffer = 0;
    GLint viewport[4] = {};
    bool wireframe = false;
    GLboolean blend = GL_FALSE;
    GLboolean depth_test = GL_FALSE;
    GLboolean depth_mask = GL_TRUE;
    GLint depth_func = GL_LESS;
    GLint blend_rgb[2] = {GL_ONE, GL_ZERO};
    GLint blend_alpha[2] = {GL_ONE, GL_ZERO};
    GLint active_texture = GL_TEXTURE0;
    GLboolean scissor = GL_FALSE;
    GLint scissor_box[4] = {};

    saved_state() {
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw_framebuffer);
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read_framebuffer);
        glGetIntegerv(GL_VIEWPORT, viewport);
        wireframe = wireframe_on();
        blend = glIsEnabled(GL_BLEND);
        depth_test = glIsEnabled(GL_DEPTH_TEST);
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_mask);
        glGetIntegerv(GL_DEPTH_FUNC, &depth_func);
        glGetIntegerv(GL_BLEND_SRC_RGB, &blend_rgb[0]);
        glGetIntegerv(GL_BLEND_DST_RGB, &blend_rgb[1]);
        glGetIntegerv(GL_BLEND_SRC_ALPHA, &blend_alpha[0]);
        glGetIntegerv(GL_BLEND_DST_ALPHA, &blend_alpha[1]);
        glGetIntegerv(GL_ACTIVE_TEXTURE, &active_texture);
        scissor = glIsEnabled(GL_SCISSOR_TEST);
        glGetIntegerv(GL_SCISSOR_BOX, scissor_box);
    }
    void restore() const {
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw_framebuffer));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read_framebuffer));
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        set_wireframe(wireframe);
        blend ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
        depth_test ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
        glDepthMask(depth_mask);
        glDepthFunc(static_cast<GLenum>(depth_func));
        glBlendFuncSeparate(static_cast<GLenum>(blend_rgb[0]), static_cast<GLenum>(blend_rgb[1]),
                            static_cast<GLenum>(blend_alpha[0]),
                            static_cast<GLenum>(blend_alpha[1]));
        glActiveTexture(static_cast<GLenum>(active_texture));
        scissor ? glEnable(GL_SCISSOR_TEST) : glDisable(GL_SCISSOR_TEST);
        glScissor(scissor_box[0], scissor_box[1], scissor_box[2], scissor_box[3]);
    }
};

}  // namespace

offscreen_burst::offscreen_burst(int divisor)
    : divisor_(std::max(1, divisor)),
      reduce_depth_(quad_vertex_shader, reduce_depth_shader),
      composite_(quad_vertex_shader, composite_shader),
      empty_vao_(make_vertex_array()) {
    block_size_location_ = glGetUniformLocation(reduce_depth_.program, "BlockSize");
    origin_location_ = glGetUniformLocation(reduce_depth_.program, "Origin");
    frame_location_ = glGetUniformLocation(composite_.program, "Frame");
    glUseProgram(reduce_depth_.program);
    glUniform1i(glGetUniformLocation(reduce_depth_.program, "SceneDepth"), 0);
    glUseProgram(composite_.program);
    glUniform1i(glGetUniformLocation(composite_.program, "Burst"), 0);
    glUseProgram(0);
}

void offscreen_burst::release_targets() {
    depth_copy_fbo_.reset();
    depth_copy_.reset();
    low_fbo_.reset();
    low_color_.reset();
    low_depth_.reset();
    copy_size_ = glm::ivec2(0);
    low_size_ = glm::ivec2(0);
    depth_format_ = 0;
}

std::size_t offscreen_burst::target_bytes() const {
    const auto area = [](glm::ivec2 size) {
        return static_cast<std::size_t>(size.x) * static_cast<std::size_t>(size.y);
    };
    return area(copy_size_) * bytes_per_pixel(depth_format_) + area(low_size_) * (4 + 4);
}

void offscreen_burst::size_targets(glm::ivec2 copy_size, glm::ivec2 low_size,
                                   GLenum depth_format) {
    if (copy_size == copy_size_ && low_size == low_size_ && depth_format == depth_format_) {
        return;
    }
    release_targets();
    copy_size_ = copy_size;
    low_size_ = low_size;
    depth_format_ = depth_format;
    depth_copy_ = make_texture();
    allocate(depth_copy_.get(), depth_format, copy_size.x, copy_size.y, GL_NEAREST);
    depth_copy_fbo_ = make_framebuffer();
    const bool with_stencil =
        depth_format == GL_DEPTH24_STENCIL8 || depth_format == GL_DEPTH32F_STENCIL8;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, depth_copy_fbo_.get());
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER,
                           with_stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                           GL_TEXTURE_2D, depth_copy_.get(), 0);
    draw_into(GL_NONE);

    low_color_ = make_texture();
    allocate(low_color_.get(), GL_RGBA8, low_size.x, low_size.y, GL_LINEAR);
    low_depth_ = make_texture();
    allocate(low_depth_.get(), GL_DEPTH_COMPONENT24, low_size.x, low_size.y, GL_NEAREST);
    low_fbo_ = make_framebuffer();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, low_fbo_.get());
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                           low_color_.get(), 0);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D,
                           low_depth_.get(), 0);
}

void offscreen_burst::draw(particle_renderer& drawer, const particle_system& particles,
                           const glm::mat4& view, const glm::mat4& vp, bool blended) {
    const saved_state saved;
    const glm::ivec2 origin(saved.viewport[0], saved.viewport[1]);
    const glm::ivec2 size(saved.viewport[2], saved.viewport[3]);
    const GLenum depth_format = bound_depth_format();
    if (size.x <= 0 || size.y <= 0 || depth_format == GL_NONE) {
        return;
    }
    // Every pass keeps to the pixels the burst can reach; the margin holds the target pixels
    // the composite's filter reads beside a particle.
    const pixel_rect reach = burst_footprint(particles, vp * glm::inverse(view), view,
                                             drawer.near_fade.x, size, 2 * divisor_ + 1);
    if (reach.empty()) {
        return;
    }
    const glm::ivec2 low_size = (size + (divisor_ - 1)) / divisor_;
    // A blit from a multisampled framebuffer must keep its rectangle: the copy spans the
    // viewport's corner too.
    size_targets(origin + size, low_size, depth_format);
    const glm::vec2 block = glm::vec2(size) / glm::vec2(low_size);
    const glm::ivec2 low0 = glm::ivec2(glm::floor(glm::vec2(reach.x0, reach.y0) / block));
    const glm::ivec2 low1 = glm::min(
        glm::ivec2(glm::ceil(glm::vec2(reach.x1, reach.y1) / block)) + 1, low_size);

    // The frame's depth where the burst is, resolved to one sample a pixel.
    const glm::ivec2 copy0 = origin + glm::ivec2(reach.x0, reach.y0);
    const glm::ivec2 copy1 = origin + glm::ivec2(reach.x1, reach.y1);
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(saved.draw_framebuffer));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, depth_copy_fbo_.get());
    glBlitFramebuffer(copy0.x, copy0.y, copy1.x, copy1.y, copy0.x, copy0.y, copy1.x, copy1.y,
                      GL_DEPTH_BUFFER_BIT, GL_NEAREST);

    // The low target: clear colour (nothing added, the whole scene left), the reduced depth.
    glBindFramebuffer(GL_FRAMEBUFFER, low_fbo_.get());
    glViewport(0, 0, low_size.x, low_size.y);
    set_wireframe(false);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(low0.x, low0.y, low1.x - low0.x, low1.y - low0.y);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glDepthMask(GL_TRUE);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, depth_copy_.get());
    glUseProgram(reduce_depth_.program);
    glUniform2i(origin_location_, origin.x, origin.y);
    glUniform2f(block_size_location_, block.x, block.y);
    glBindVertexArray(empty_vao_.get());
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    // The particles, in their order. Colour adds each one's share; alpha keeps what is left of
    // the scene behind them, so compositing gives exactly what blending them in place gives.
    set_wireframe(saved.wireframe);
    glDepthFunc(GL_LESS);
    glDepthMask(saved.depth_mask);
    glEnable(GL_BLEND);
    if (blended) {
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO,
                            GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glBlendFuncSeparate(GL_ONE, GL_ZERO, GL_ZERO, GL_ZERO);
    }
    drawer.draw(particles, view, vp);

    // Over the frame: what the burst adds plus what it leaves of the frame; the frame's alpha
    // stays.
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(saved.draw_framebuffer));
    glViewport(origin.x, origin.y, size.x, size.y);
    glScissor(copy0.x, copy0.y, copy1.x - copy0.x, copy1.y - copy0.y);
    set_wireframe(false);
    glDisable(GL_DEPTH_TEST);
    glBlendFuncSeparate(GL_ONE, GL_SRC_ALPHA, GL_ZERO, GL_ONE);
    glBindTexture(GL_TEXTURE_2D, low_color_.get());
    glUseProgram(composite_.program);
    glUniform4f(frame_location_, static_cast<float>(origin.x), static_cast<float>(origin.y),
                static_cast<float>(size.x), static_cast<float>(size.y));
    glBindVertexArray(empty_vao_.get());
    glDrawArrays(GL_TRIANGLES, 0, 3);

    glBindVertexArray(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
    saved.restore();
}

}  // namespace quillomar
