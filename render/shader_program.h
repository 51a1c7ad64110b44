#pragma once

#include <GL/glew.h>

namespace quillomar {

// One linked GLSL program built from a vertex and a fragment file. Compile and link failures are
// printed on standard output and never stop the game; `program` always holds a program name.
struct shader_program {
    GLuint program = 0;

    shader_program() = default;
    shader_program(const char* vertex_path, const char* fragment_path);
    // The program is deleted with its owner; the context must still be current.
    ~shader_program();
    shader_program(const shader_program&) = delete;
    shader_program& operator=(const shader_program&) = delete;
    shader_program(shader_program&& other) noexcept;
    shader_program& operator=(shader_program&& other) noexcept;
};

}  // namespace quillomar
