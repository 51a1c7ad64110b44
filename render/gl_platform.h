// What OpenGL 3.3 core and WebGL 2 (OpenGL ES 3.0) do differently, in one place: the renderer
// asks here instead of calling the few 3.3-only functions and formats itself. The desktop's
// answers are in gl_platform_desktop.cpp, the browser's in gl_platform_web.cpp; CMake builds one.
#pragma once

#include <GL/glew.h>

#include <string>

namespace quillomar {

// Whether triangles can be drawn as their edges (WebGL 2 only through WEBGL_polygon_mode).
bool wireframe_available();
// Triangles drawn next fill (false) or show their edges (true); ignored where unavailable.
void set_wireframe(bool on);
// Whether triangles are drawn as edges now.
bool wireframe_on();

// glDrawBuffer: the one colour buffer the bound framebuffer draws into (or GL_NONE).
void draw_into(GLenum buffer);
// glFramebufferTexture for a 2D texture's level 0 on the bound framebuffer.
void attach_texture(GLenum attachment, GLuint texture);

// The wrap mode for a map whose outside must read as its border colour: GL_CLAMP_TO_BORDER, or
// GL_CLAMP_TO_EDGE where there is none (the shaders then test the border themselves).
GLint border_wrap();
// The order of a decoded image's texels as they are uploaded: GL_BGRA, or GL_RGBA where BGRA
// uploads are not allowed (the browser's decoder then keeps RGBA).
GLenum decoded_texel_order();
// The internal format of a one-channel byte texture: GL_RED, or GL_R8 where only sized formats
// are taken.
GLint single_channel_format();
// A 32-bit depth renderbuffer's format: GL_DEPTH_COMPONENT32, or the float one.
GLenum depth32_renderbuffer_format();
// The type of the null data given with a depth texture of `format`.
GLenum depth_texel_type(GLenum format);

// Puts this GL's version line (and, for OpenGL ES, its default precisions) in place of the
// source's first line, the desktop's #version.
void adapt_version_line(std::string& shader_source);

}  // namespace quillomar
