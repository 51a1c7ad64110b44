#include "tests/support/test_support.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <unistd.h>

#include <atomic>

#include <fstream>
#include "framework/game_window.h"
#include "framework/window_errors.h"
#include "render/screenshot.h"

namespace quillomar::test {

GLFWwindow* shared_gl_window() {
    static GLFWwindow* window = [] {
        report_window_system_errors();
        if (glfwInit() == GLFW_FALSE) {
            return static_cast<GLFWwindow*>(nullptr);
        }
        return open_game_window(1024, 768, nullptr, false);
    }();
    return window;
}

void gl_test::SetUp() {
    window = shared_gl_window();
    ASSERT_NE(window, nullptr) << "an OpenGL 3.3 core context is needed (run under xvfb-run -a)";
    while (glGetError() != GL_NO_ERROR) {
    }
}

stream_capture::stream_capture(std::ostream& stream)
    : buffer_(), stream_(stream), previous_(stream.rdbuf(buffer_.rdbuf())) {}

stream_capture::~stream_capture() {
    stream_.rdbuf(previous_);
}

std::vector<std::string> stream_capture::lines() const {
    return split_lines(text());
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        result.push_back(line);
    }
    return result;
}

scratch_dir::scratch_dir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("quillomar-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

scratch_dir::~scratch_dir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string scratch_dir::write(const std::string& name, const std::string& content) const {
    const std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << content;
    return file.string();
}

std::filesystem::path source_dir() {
    return QUILLOMAR_SOURCE_DIR;
}

void save_screenshot(const std::string& path) {
    quillomar::save_screenshot(path, 1024, 768);
}

}  // namespace quillomar::test
