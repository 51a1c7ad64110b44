#include "render/gl_platform.h"

namespace quillomar {

bool wireframe_available() {
    return true;
}

void set_wireframe(bool on) {
    glPolygonMode(GL_FRONT_AND_BACK, on ? GL_LINE : GL_FILL);
}

bool wireframe_on() {
    GLint mode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    return mode[0] == GL_LINE;
}

void draw_into(GLenum buffer) {
    glDrawBuffer(buffer);
}

void attach_texture(GLenum attachment, GLuint texture) {
    glFramebufferTexture(GL_FRAMEBUFFER, attachment, texture, 0);
}

GLint border_wrap() {
    return GL_CLAMP_TO_BORDER;
}

GLenum decoded_texel_order() {
    return GL_BGRA;
}

GLint single_channel_format() {
    return GL_RED;
}

GLenum depth32_renderbuffer_format() {
    return GL_DEPTH_COMPONENT32;
}

GLenum depth_texel_type(GLenum /*format*/) {
    return GL_FLOAT;
}

void adapt_version_line(std::string& /*shader_source*/) {}

}  // namespace quillomar
