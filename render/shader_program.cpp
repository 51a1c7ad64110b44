#include "render/shader_program.h"

#include <iostream>
#include <string>
#include <utility>

#include "framework/asset_paths.h"
#include "framework/bounded_read.h"
#include "render/shader_constants.h"
#include "render/gl_platform.h"

namespace quillomar {
namespace {

constexpr GLsizei info_log_size = 512;

// The shared constants (and `defines`) go right after the first line, the #version line; a #line
// then gives the file's own numbering back, so a driver's error points at the line in the file.
void insert_prelude(std::string& source, const std::string& defines) {
    const std::size_t first_line_end = source.find('\n');
    if (first_line_end != std::string::npos) {
        source.insert(first_line_end + 1, shader_prelude() + defines + "#line 2\n");
    }
    adapt_version_line(source);
}

// The failure header stands alone on its line; the driver's log follows, after the file's path.
GLuint compile_stage(GLenum stage, const std::string& source, const char* failure_message,
                     const std::string& path) {
    const GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == 0) {
        char log[info_log_size] = {};
        glGetShaderInfoLog(shader, info_log_size, nullptr, log);
        std::cout << failure_message << path << ": " << log << std::endl;
    }
    return shader;
}

}  // namespace

shader_program::~shader_program() {
    if (program != 0) {
        glDeleteProgram(program);
    }
}

shader_program::shader_program(shader_program&& other) noexcept : program(other.program) {
    other.program = 0;
}

shader_program& shader_program::operator=(shader_program&& other) noexcept {
    if (this != &other) {
        if (program != 0) {
            glDeleteProgram(program);
        }
        program = other.program;
        other.program = 0;
    }
    return *this;
}

shader_program::shader_program(const char* vertex_path, const char* fragment_path)
    : shader_program(vertex_path, fragment_path, std::string()) {}

shader_program::shader_program(const char* vertex_path, const char* fragment_path,
                               const std::string& fragment_defines) {
    std::string vertex_source;
    std::string fragment_source;
    // A source that cannot be read stays empty; the driver then rejects it with its own line.
    // Sources are read like any file the game did not write: a FIFO or a device is refused, with
    // a line of its own.
    constexpr std::size_t max_source_bytes = 1 << 20;
    for (auto [path, source] : {std::pair{vertex_path, &vertex_source},
                                std::pair{fragment_path, &fragment_source}}) {
        const bounded_read read = read_bounded(platform_path(path), max_source_bytes, *source);
        if (read.result == bounded_read::outcome::refused || read.truncated) {
            source->clear();
            std::cout << "ERROR::SHADER::FILE_NOT_SUCCESFULLY_READ "
                      << describe_problem(platform_path(path), read, max_source_bytes)
                      << std::endl;
        }
    }
    insert_prelude(vertex_source, std::string());
    insert_prelude(fragment_source, fragment_defines);

    const GLuint vertex =
        compile_stage(GL_VERTEX_SHADER, vertex_source,
                      "ERROR::SHADER::VERTEX::COMPILATION_FAILED\n", platform_path(vertex_path));
    const GLuint fragment = compile_stage(GL_FRAGMENT_SHADER, fragment_source,
                                          "ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\n",
                                          platform_path(fragment_path));

    program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok == 0) {
        char log[info_log_size] = {};
        glGetProgramInfoLog(program, info_log_size, nullptr, log);
        std::cout << "ERROR::SHADER::PROGRAM::LINKING_FAILED\n"
                  << platform_path(vertex_path) << " + " << platform_path(fragment_path) << ": "
                  << log << std::endl;
    }
    glDeleteShader(vertex);
    glDeleteShader(fragment);
}

}  // namespace quillomar
