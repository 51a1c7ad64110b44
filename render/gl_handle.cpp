#include "render/gl_handle.h"

namespace quillomar {

void delete_gl_name(gl_kind kind, GLuint name) {
    if (name == 0) {
        return;
    }
    switch (kind) {
        case gl_kind::buffer:
            glDeleteBuffers(1, &name);
            break;
        case gl_kind::vertex_array:
            glDeleteVertexArrays(1, &name);
            break;
        case gl_kind::texture:
            glDeleteTextures(1, &name);
            break;
        case gl_kind::framebuffer:
            glDeleteFramebuffers(1, &name);
            break;
        case gl_kind::renderbuffer:
            glDeleteRenderbuffers(1, &name);
            break;
        case gl_kind::program:
            glDeleteProgram(name);
            break;
    }
}

void release_gl_names(gl_kind kind, std::initializer_list<GLuint*> names) {
    for (GLuint* name : names) {
        delete_gl_name(kind, *name);
        *name = 0;
    }
}

gl_buffer make_buffer() {
    GLuint name = 0;
    glGenBuffers(1, &name);
    return gl_buffer(name);
}

gl_vertex_array make_vertex_array() {
    GLuint name = 0;
    glGenVertexArrays(1, &name);
    return gl_vertex_array(name);
}

gl_texture make_texture() {
    GLuint name = 0;
    glGenTextures(1, &name);
    return gl_texture(name);
}

gl_framebuffer make_framebuffer() {
    GLuint name = 0;
    glGenFramebuffers(1, &name);
    return gl_framebuffer(name);
}

gl_renderbuffer make_renderbuffer() {
    GLuint name = 0;
    glGenRenderbuffers(1, &name);
    return gl_renderbuffer(name);
}

}  // namespace quillomar
