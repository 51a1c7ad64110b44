// Shared helpers of the test suites: a real OpenGL context, console capture and scratch files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "game/recording.h"
#include "level/level.h"

struct GLFWwindow;

namespace quillomar::test {

// The X display of this test process: an Xvfb server of its own (1280 x 1024, 24 bits), started
// on first use, put in the process's DISPLAY so that the games, tools and xdotool it starts draw
// there too, and ended with the process. No other test's windows, focus or load meet it, and it
// never resets under the test (a shared server does between two clients). Where there is no Xvfb
// it is the inherited DISPLAY; null when there is neither.
const char* own_display();

// One hidden 1024 x 768 window with a 3.3 core context on own_display(), created on first use
// and current from then on. Null when no display is available.
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
    explicit stream_capture(std::ostream& stream = std::cout)
        : stream_(stream), previous_(stream.rdbuf(buffer_.rdbuf())) {}
    ~stream_capture() { stream_.rdbuf(previous_); }
    stream_capture(const stream_capture&) = delete;
    stream_capture& operator=(const stream_capture&) = delete;

    std::string text() const { return buffer_.str(); }
    void clear() { buffer_.str(""); }
    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        std::istringstream in(text());
        for (std::string line; std::getline(in, line);) {
            result.push_back(line);
        }
        return result;
    }

private:
    std::ostringstream buffer_;  // built before the stream is pointed at it
    std::ostream& stream_;
    std::streambuf* previous_;
};

// A fresh empty directory below the system's temporary directory, removed with the object.
class scratch_dir {
public:
    scratch_dir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("quillomar-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~scratch_dir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    scratch_dir(const scratch_dir&) = delete;
    scratch_dir& operator=(const scratch_dir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes `content` to the relative file name and returns the full path.
    std::string write(const std::string& name, const std::string& content) const {
        const std::filesystem::path file = path_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
        return file.string();
    }

private:
    std::filesystem::path path_;
};

// The whole file's bytes; empty when it cannot be read.
inline std::string file_text(const std::filesystem::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// The checking player's run of the level `level_text` to its finish, as a best run is kept: its
// key, its ticks and its time with no life lost. No frames when the level cannot be finished.
recording proven_run(const std::string& level_text);

// The level the game's reader makes of `text`, its console lines kept out of the test's output.
inline level level_from_text(const std::string& text) {
    level lvl;
    std::istringstream in(text);
    const stream_capture quiet;
    lvl.read_stream(in);
    return lvl;
}

// The repository root, where the game's assets live.
inline std::filesystem::path source_dir() {
    return QUILLOMAR_SOURCE_DIR;
}

}  // namespace quillomar::test
