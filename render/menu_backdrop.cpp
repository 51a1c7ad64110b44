#include "render/menu_backdrop.h"

#include <iostream>
#include <string>

#include "render/gl_platform.h"

namespace quillomar {
namespace {

// One triangle made from the vertex index alone covers clip space; no vertex buffer is needed.
const char* const vertex_source = R"(#version 330 core
void main() {
    vec2 corner = vec2((gl_VertexID << 1) & 2, gl_VertexID & 2);
    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
)";

const char* const fragment_source = R"(#version 330 core
uniform float darkness;
out vec4 color;
void main() {
    color = vec4(0.0, 0.0, 0.0, darkness);
}
)";

// Written for the desktop's GL; the browser's WebGL 2 takes it with its own version line (it
// refuses "#version 330 core"). A stage the driver refuses says so, as the file shaders do.
GLuint compiled(GLenum stage, std::string source) {
    adapt_version_line(source);
    const char* text = source.c_str();
    const GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == 0) {
        char log[512] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::cout << "ERROR::SHADER::" << (stage == GL_VERTEX_SHADER ? "VERTEX" : "FRAGMENT")
                  << "::COMPILATION_FAILED\nmenu backdrop: " << log << std::endl;
    }
    return shader;
}

}  // namespace

void menu_backdrop::draw() {
    if (program_.get() == 0) {
        program_.reset(glCreateProgram());
        const GLuint stages[] = {compiled(GL_VERTEX_SHADER, vertex_source),
                                 compiled(GL_FRAGMENT_SHADER, fragment_source)};
        for (const GLuint stage : stages) {
            glAttachShader(program_.get(), stage);
        }
        glLinkProgram(program_.get());
        GLint linked = 0;
        glGetProgramiv(program_.get(), GL_LINK_STATUS, &linked);
        if (linked == 0) {
            char log[512] = {};
            glGetProgramInfoLog(program_.get(), sizeof log, nullptr, log);
            std::cout << "ERROR::SHADER::PROGRAM::LINKING_FAILED\nmenu backdrop: " << log
                      << std::endl;
        }
        for (const GLuint stage : stages) {
            glDetachShader(program_.get(), stage);
            glDeleteShader(stage);
        }
        vertex_array_ = make_vertex_array();
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glUseProgram(program_.get());
    glUniform1f(glGetUniformLocation(program_.get(), "darkness"), darkness);
    glBindVertexArray(vertex_array_.get());
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glBindVertexArray(0);
    glUseProgram(0);
}

}  // namespace quillomar
