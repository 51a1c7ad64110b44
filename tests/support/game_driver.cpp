#include "tests/support/game_driver.h"

#include <GLFW/glfw3.h>

#include "framework/seams.h"

namespace quillomar::test {

game_driver::game_driver(const std::string& level_text, bool start)
    : game_(std::make_unique<quillomar_game>()) {
    set_clock([this] { return time; });
    set_key_reader(
        [this](GLFWwindow*, int key) { return held_.count(key) != 0 ? GLFW_PRESS : GLFW_RELEASE; });
    game_->window = shared_gl_window();
    game_->width = 1024;
    game_->height = 768;
    game_->level_path = dir_.write("level.txt", level_text);
    if (start) {
        startup();
    }
}

game_driver::~game_driver() {
    if (started_) {
        game_->shutdown();
    }
    game_.reset();
    set_clock({});
    set_key_reader({});
}

void game_driver::startup() {
    game_->startup();
    started_ = true;
}

void game_driver::frame() {
    time += 1.0 / 60.0;
    game_->render();
}

void game_driver::frames(int count) {
    for (int i = 0; i < count; ++i) {
        frame();
    }
}

void game_driver::step(double seconds) {
    time += seconds;
    game_->step_game_state();
    game_->apply_active_camera();
}

void game_driver::steps(int count) {
    for (int i = 0; i < count; ++i) {
        step();
    }
}

void game_driver::tap(int key) {
    hold(key);
    step();
    release(key);
    step();
}

}  // namespace quillomar::test
