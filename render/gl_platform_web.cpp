#include "render/gl_platform.h"

#include <emscripten.h>
#include <emscripten/html5.h>

namespace quillomar {
namespace {

// WEBGL_polygon_mode is newer than the toolkit's GL layer: it is asked for by hand, on the
// context the game draws with.
EM_JS(int, polygon_mode_extension, (), {
    var gl = GLctx;
    if (!gl) return 0;
    if (gl.quillomarPolygonMode === undefined) {
        gl.quillomarPolygonMode = gl.getExtension('WEBGL_polygon_mode') || null;
    }
    return gl.quillomarPolygonMode ? 1 : 0;
});

EM_JS(void, polygon_mode_set, (int mode), {
    GLctx.quillomarPolygonMode.polygonModeWEBGL(GLctx.FRONT_AND_BACK, mode);
});

bool wireframe_now = false;

}  // namespace

bool wireframe_available() {
    return polygon_mode_extension() != 0;
}

void set_wireframe(bool on) {
    if (wireframe_now == on || !wireframe_available()) {
        return;
    }
    polygon_mode_set(on ? GL_LINE : GL_FILL);
    wireframe_now = on;
}

bool wireframe_on() {
    return wireframe_now;
}

void draw_into(GLenum buffer) {
    glDrawBuffers(1, &buffer);
}

void attach_texture(GLenum attachment, GLuint texture) {
    glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, GL_TEXTURE_2D, texture, 0);
}

GLint border_wrap() {
    return GL_CLAMP_TO_EDGE;
}

GLenum decoded_texel_order() {
    return GL_RGBA;
}

GLint single_channel_format() {
    return GL_R8;
}

GLenum depth32_renderbuffer_format() {
    return GL_DEPTH_COMPONENT32F;
}

GLenum depth_texel_type(GLenum format) {
    return format == GL_DEPTH_COMPONENT32F ? GL_FLOAT : GL_UNSIGNED_INT;
}

void adapt_version_line(std::string& shader_source) {
    const std::size_t first_line_end = shader_source.find('\n');
    if (first_line_end == std::string::npos) {
        return;
    }
    // The #line after the prelude keeps the file's own numbering; these lines replace line 1.
    shader_source.replace(0, first_line_end,
                          "#version 300 es\n"
                          "precision highp float;\n"
                          "precision highp int;\n"
                          "precision highp sampler2D;\n"
                          "precision highp sampler2DShadow;\n"
                          "precision highp sampler3D;\n"
                          "precision highp samplerCube;\n"
                          "precision highp sampler2DArray;\n"
                          "#define QUILLOMAR_NO_BORDER_CLAMP 1");
}

}  // namespace quillomar
