#include "tests/support/game_driver.h"

#include "framework/seams.h"
#include "records/records_store.h"

namespace quillomar::test {

void command_script::hold_only(const std::set<command>& commands) {
    held_ = {};
    for (command c : commands) {
        hold(c);
    }
}

core_driver::core_driver(const std::string& level_text) {
    run.level_key = level_key(level_text);
    if (core_.read_level(dir_.write("level.txt", level_text))) {
        core_.place_items();
        core_.place_enemies();
    }
    core_.init_ball();
    core_.init_cameras();
    core_.create_physics();
}

game_events core_driver::step(double seconds) {
    time += seconds;
    run.frames.push_back(next(time));
    game_events happened = core_.step(run.frames.back());
    events.insert(events.end(), happened.begin(), happened.end());
    return happened;
}

void core_driver::steps(int count) {
    for (int i = 0; i < count; ++i) {
        step();
    }
}

void core_driver::tap(command c) {
    hold(c);
    step();
    release(c);
    step();
}

game_driver::game_driver(const std::string& level_text, bool start)
    : game_(std::make_unique<quillomar_game>()) {
    set_clock([this] { return time; });
    game_->window = shared_gl_window();
    game_->width = 1024;
    game_->height = 768;
    game_->level_path = dir_.write("level.txt", level_text);
    game_->input_source = [this](double t) { return next(t); };
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

void game_driver::steps(int count) {
    for (int i = 0; i < count; ++i) {
        time += 1.0 / 60.0;
        game_->update();
    }
}

}  // namespace quillomar::test
