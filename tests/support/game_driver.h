// Drives the game frame by frame with a manual clock and scripted commands: `core_driver` runs
// the core alone (no display), `game_driver` the whole shell in the shared hidden window. Both
// capture the console log.
#pragma once

#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "game/game_core.h"
#include "game/recording.h"
#include "shell/quillomar_game.h"
#include "tests/support/test_support.h"

namespace quillomar::test {

// The commands held for the next step, turned into frame records.
class command_script {
public:
    void hold(command c) { held_[static_cast<std::size_t>(c)] = true; }
    void release(command c) { held_[static_cast<std::size_t>(c)] = false; }
    void hold_only(const std::set<command>& commands);
    frame_input next(double time) { return presses_.next(time, held_); }

private:
    std::array<bool, command_count> held_{};
    held_to_presses presses_;
};

class core_driver : public command_script {
public:
    // Loads the level text (written to a scratch file) the way the game starts up.
    explicit core_driver(const std::string& level_text);

    // Advances the clock and runs one step; returns its events.
    game_events step(double seconds = 1.0 / 60.0);
    void steps(int count);
    // Holds the command for one step, then lets it go for one step.
    void tap(command c);

    game_state& state() { return core_.state; }
    game_core& core() { return core_; }
    // Every event since construction (or the last clear), and every frame record stepped.
    game_events events;
    recording run;
    std::vector<std::string> log_lines() const { return log_.lines(); }
    double time = 1000.0;

private:
    scratch_dir dir_;
    stream_capture log_;
    game_core core_;
};

class game_driver : public command_script {
public:
    explicit game_driver(const std::string& level_text, bool start = true);
    ~game_driver();
    game_driver(const game_driver&) = delete;
    game_driver& operator=(const game_driver&) = delete;

    void startup();
    // Advances the clock by one 60th of a second and renders one whole frame.
    void frame();
    void frames(int count);
    // The same without drawing: much faster on a software renderer, for long stretches of play.
    void steps(int count);

    quillomar_game& game() { return *game_; }
    game_state& state() { return game_->core().state; }
    std::vector<std::string> log_lines() const { return log_.lines(); }
    void clear_log() { log_.clear(); }
    double time = 1000.0;

private:
    scratch_dir dir_;
    stream_capture log_;
    std::unique_ptr<quillomar_game> game_;
    bool started_ = false;
};

}  // namespace quillomar::test
