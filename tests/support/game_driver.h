// Drives the game frame by frame with a manual clock and scripted commands: `core_driver` runs
// the core alone (no display), `game_driver` the whole shell in the shared hidden window. Both
// capture the console log.
#pragma once

#include <algorithm>
#include <array>
#include <cstdlib>
#include <iostream>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/seams.h"
#include "game/game_core.h"
#include "game/recording.h"
#include "framework/key_map.h"
#include "records/records_store.h"
#include "shell/quillomar_game.h"
#include "tests/support/test_support.h"

namespace quillomar::test {

// The clock and the commands held for the next step, turned into frame records.
class command_script {
public:
    void hold(command c, bool down = true) { held_[static_cast<std::size_t>(c)] = down; }
    void release(command c) { hold(c, false); }
    void hold_only(const std::set<command>& commands) {
        held_ = {};
        for (command c : commands) {
            hold(c);
        }
    }
    frame_input next(double t) {
        frame_input input = presses_.next(t, held_);
        input.push_amount = input.turn_amount = amount;
        input.steer = steer;
        return input;
    }
    double time = 1000.0;
    std::uint8_t amount = 255;  // how far pushes and turns go, as a stick would set them
    std::int32_t steer = 0;     // direct steering's turn each step

private:
    std::array<bool, command_count> held_{};
    held_to_presses presses_;
};

class core_driver : public command_script {
public:
    // Loads the level text (written to a scratch file) the way the game starts up.
    explicit core_driver(const std::string& level_text) {
        run.level_key = level_key(level_text);
        run.version = 1;  // the core alone steps at whatever times a test gives
        if (core_.read_level(dir_.write("level.txt", level_text))) {
            core_.place_items();
            core_.place_enemies();
        }
        core_.init_ball();
        core_.init_cameras();
        core_.create_physics();
    }
    // Advances the clock and runs one step; returns its events.
    game_events step(double seconds = 1.0 / 60.0) {
        time += seconds;
        run.frames.push_back(next(time));
        game_events happened = core_.step(run.frames.back());
        events.insert(events.end(), happened.begin(), happened.end());
        return happened;
    }
    void steps(int count) {
        for (int i = 0; i < count; ++i) {
            step();
        }
    }
    // Holds the command for one step, then lets it go for one step.
    void tap(command c) {
        hold(c);
        step();
        release(c);
        step();
    }
    game_state& state() { return core_.state; }
    game_core& core() { return core_; }
    // Every event since construction (or the last clear), and every frame record stepped.
    game_events events;
    recording run;

private:
    scratch_dir dir_;
    stream_capture log_;
    game_core core_;
};

class game_driver : public command_script {
public:
    // Starts the game unless `start` is false; game().startup() does it later.
    explicit game_driver(const std::string& level_text, bool start = true) {
        set_clock([this] { return time; });
        game_->window = shared_gl_window();
        if (game_->window == nullptr) {
            // Without a context every GL call would jump through a null pointer.
            std::cerr << "an OpenGL 3.3 core context is needed (run under xvfb-run -a)" << std::endl;
            std::abort();
        }
        game_->width = 1024;
        game_->height = 768;
        game_->level_path = dir_.write("level.txt", level_text);
        game_->input_source = [this](double t) { return next(t); };
        if (start) {
            game_->startup();
        }
    }
    ~game_driver() {
        if (game_->renderer() != nullptr) {
            game_->shutdown();
        }
        game_.reset();
        set_clock({});
    }
    // Advances the clock by `seconds` (one tick by default) and renders one whole frame, `count`
    // times; without `draw` only updates (much faster on a software renderer).
    void frames(int count = 1, bool draw = true, double seconds = 1.0 / 60.0) {
        for (int i = 0; i < count; ++i) {
            time += seconds;
            draw ? game_->render() : game_->update();
        }
    }
    // Starts the game at its title menu, on the level set in the file `set` when one is given,
    // and runs one frame.
    void start_from_menu(const std::string& set = "") {
        if (!set.empty()) {
            game_->level_set_path = set;
        }
        game_->start_in_menu = true;
        game_->startup();
        frames(1, false);
    }
    quillomar_game& game() { return *game_; }
    game_state& state() { return game_->core().state; }
    std::vector<std::string> log_lines() const { return log_.lines(); }
    void clear_log() { log_.clear(); }

private:
    scratch_dir dir_;
    stream_capture log_;
    std::unique_ptr<quillomar_game> game_ = std::make_unique<quillomar_game>();
};

// Presses each key in turn, `mods` held, with one updated (not drawn) frame after each.
// The settings under `dir` and the player's data under dir/data, for the games a test starts.
inline void use_homes(const scratch_dir& dir) {
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
}

inline void press(game_driver& d, std::initializer_list<int> keys, int mods = 0) {
    for (const int key : keys) {
        d.game().keys()->key_pressed(key, mods);
        d.frames(1, false);
    }
}
inline void press(game_driver& d, int key, int mods = 0) {
    press(d, {key}, mods);
}

// Updates frames until the screen on top is `name` (a run from the title menu waits out "Go!").
inline void until_screen(game_driver& d, const std::string& name, int most_frames = 600) {
    for (int i = 0; i < most_frames && d.game().screen_name() != name; ++i) {
        d.frames(1, false);
    }
}

// Whether the shell's HUD has a line that reads `text` (that holds it, with `part`), or a line
// that reads it in the chosen entry's tone.
inline bool hud_shows(game_driver& d, const std::string& text, bool part = false) {
    const std::vector<hud_line> lines = d.game().shell_hud_lines();
    return std::any_of(lines.begin(), lines.end(), [&](const hud_line& l) {
        return part ? l.text.find(text) != std::string::npos : l.text == text;
    });
}
inline bool hud_chosen(game_driver& d, const std::string& text) {
    const std::vector<hud_line> lines = d.game().shell_hud_lines();
    return std::any_of(lines.begin(), lines.end(), [&](const hud_line& l) {
        return l.text == text && l.tone == hud_tone::chosen;
    });
}

}  // namespace quillomar::test
