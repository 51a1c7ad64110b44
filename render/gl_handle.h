// Owning handles for OpenGL object names: the object is deleted when its handle goes, so every
// GL object lives exactly as long as the renderer part that made it. Handles move, never copy.
// The context that made the object must still be current when the handle goes.
#pragma once

#include <GL/glew.h>

#include <initializer_list>

namespace quillomar {

enum class gl_kind { buffer, vertex_array, texture, framebuffer, renderbuffer, program };

// Deletes one name of the kind; 0 is ignored.
void delete_gl_name(gl_kind kind, GLuint name);

// Deletes every name and sets it to 0, for owners that keep plain names in public fields.
void release_gl_names(gl_kind kind, std::initializer_list<GLuint*> names);

template <gl_kind Kind>
class gl_handle {
public:
    gl_handle() = default;
    explicit gl_handle(GLuint name) : name_(name) {}
    ~gl_handle() { reset(); }
    gl_handle(const gl_handle&) = delete;
    gl_handle& operator=(const gl_handle&) = delete;
    gl_handle(gl_handle&& other) noexcept : name_(other.release()) {}
    gl_handle& operator=(gl_handle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    GLuint get() const { return name_; }
    GLuint release() {
        const GLuint name = name_;
        name_ = 0;
        return name;
    }
    void reset(GLuint name = 0) {
        delete_gl_name(Kind, name_);
        name_ = name;
    }

private:
    GLuint name_ = 0;
};

using gl_buffer = gl_handle<gl_kind::buffer>;
using gl_vertex_array = gl_handle<gl_kind::vertex_array>;
using gl_texture = gl_handle<gl_kind::texture>;
using gl_framebuffer = gl_handle<gl_kind::framebuffer>;
using gl_renderbuffer = gl_handle<gl_kind::renderbuffer>;
using gl_program = gl_handle<gl_kind::program>;

// A fresh name of each kind, owned.
gl_buffer make_buffer();
gl_vertex_array make_vertex_array();
gl_texture make_texture();
gl_framebuffer make_framebuffer();
gl_renderbuffer make_renderbuffer();

}  // namespace quillomar
