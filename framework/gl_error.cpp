#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <iostream>

#include "framework/qlmFramework.h"

namespace {

const char* gl_error_name(GLenum code) {
    switch (code) {
        case GL_INVALID_ENUM:
            return "INVALID_ENUM";
        case GL_INVALID_VALUE:
            return "INVALID_VALUE";
        case GL_INVALID_OPERATION:
            return "INVALID_OPERATION";
        case GL_OUT_OF_MEMORY:
            return "OUT_OF_MEMORY";
        case GL_INVALID_FRAMEBUFFER_OPERATION:
            return "INVALID_FRAMEBUFFER_OPERATION";
        default:
            return "UNKNOWN";
    }
}

}  // namespace

void check_gl_error(const char* file, unsigned line) {
    for (GLenum code = glGetError(); code != GL_NO_ERROR; code = glGetError()) {
        std::cout << "GL_" << gl_error_name(code) << " - " << file << ":" << line << std::endl;
    }
}
