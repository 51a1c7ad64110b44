#pragma once

#include <GL/glew.h>

#include <string>

namespace quillomar {

// One linked GLSL program built from a vertex and a fragment file. Compile and link failures are
// printed on standard output and never stop the game; `program` always holds a program name.
struct shader_program {
    GLuint program = 0;

    shader_program() = default;
    shader_program(const char* vertex_path, const char* fragment_path);
    // The same with `fragment_defines` (lines of "#define NAME") placed after the fragment
    // source's first line, its #version.
    shader_program(const char* vertex_path, const char* fragment_path,
                   const std::string& fragment_defines);
    // The program is deleted with its owner; the context must still be current.
    ~shader_program();
    shader_program(const shader_program&) = delete;
    shader_program& operator=(const shader_program&) = delete;
    shader_program(shader_program&& other) noexcept;
    shader_program& operator=(shader_program&& other) noexcept;
};

}  // namespace quillomar
