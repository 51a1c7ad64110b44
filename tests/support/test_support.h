// Shared helpers of the test suites: a real OpenGL context, console capture and scratch files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

struct GLFWwindow;

namespace quillomar::test {

// One hidden 1024 x 768 window with a 3.3 core context, created on first use and current from
// then on. Null when no display is available.
GLFWwindow* shared_gl_window();

// A fixture for tests that need the context; fails the test when there is none.
class gl_test : public ::testing::Test {
protected:
    void SetUp() override;
    GLFWwindow* window = nullptr;
};

// Captures everything written to std::cout (or another stream) while it lives.
class stream_capture {
public:
    explicit stream_capture(std::ostream& stream = std::cout);
    ~stream_capture();
    stream_capture(const stream_capture&) = delete;
    stream_capture& operator=(const stream_capture&) = delete;

    std::string text() const { return buffer_.str(); }
    void clear() { buffer_.str(""); }
    std::vector<std::string> lines() const;

private:
    // The buffer is built before the stream is pointed at it.
    std::ostringstream buffer_;
    std::ostream& stream_;
    std::streambuf* previous_;
};

// A fresh empty directory below the system's temporary directory, removed with the object.
class scratch_dir {
public:
    scratch_dir();
    ~scratch_dir();
    scratch_dir(const scratch_dir&) = delete;
    scratch_dir& operator=(const scratch_dir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes `content` to the relative file name and returns the full path.
    std::string write(const std::string& name, const std::string& content) const;

private:
    std::filesystem::path path_;
};

std::vector<std::string> split_lines(const std::string& text);

// Saves the back buffer of the current 1024 x 768 window as a PNG file.
void save_screenshot(const std::string& path);

// The repository root, where the game's assets live.
std::filesystem::path source_dir();

}  // namespace quillomar::test
