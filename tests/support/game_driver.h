// Drives the real game object frame by frame in the shared hidden window, with a manual clock
// and scripted keys, capturing its console log.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "shell/quillomar_game.h"
#include "tests/support/test_support.h"

namespace quillomar::test {

class game_driver {
public:
    // Starts a game on the given level text (written to a scratch file).
    explicit game_driver(const std::string& level_text, bool start = true);
    ~game_driver();
    game_driver(const game_driver&) = delete;
    game_driver& operator=(const game_driver&) = delete;

    void startup();
    // Advances the manual clock by one 60th of a second and renders one whole frame.
    void frame();
    void frames(int count);
    // Advances the clock by one 60th of a second and runs the frame's rules without drawing:
    // much faster on a software renderer, for long stretches of play.
    void step(double seconds = 1.0 / 60.0);
    void steps(int count);
    // Steps until the predicate holds or `max_steps` have passed; true when it held.
    template <typename Predicate>
    bool steps_until(Predicate done, int max_steps) {
        for (int i = 0; i < max_steps; ++i) {
            if (done()) {
                return true;
            }
            step();
        }
        return done();
    }

    void hold(int key) { held_.insert(key); }
    void hold_only(std::set<int> keys) { held_ = std::move(keys); }
    void release(int key) { held_.erase(key); }
    // Holds the key for one step, then lets it go for one step.
    void tap(int key);
    // Drops what was logged so far.
    void clear_log() { log_.clear(); }

    quillomar_game& game() { return *game_; }
    std::string log() const { return log_.text(); }
    std::vector<std::string> log_lines() const { return log_.lines(); }
    double time = 1000.0;

private:
    scratch_dir dir_;
    std::set<int> held_;
    stream_capture log_;
    std::unique_ptr<quillomar_game> game_;
    bool started_ = false;
};

}  // namespace quillomar::test
