// The one concrete game: the shell that joins the window's clock and keys, the game core, the
// renderer, the sound and the console. Each frame it reads the clock and the input once, steps
// the core, lets the sound and the console react to the events, and draws the new state.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "framework/asset_paths.h"
#include "framework/qlmFramework.h"
#include "game/game_core.h"
#include "game/recording.h"

namespace quillomar {

class frame_renderer;
class key_input;
class sound_engine;

class quillomar_game : public game {
public:
    quillomar_game();
    ~quillomar_game() override;
    quillomar_game(const quillomar_game&) = delete;
    quillomar_game& operator=(const quillomar_game&) = delete;

    void startup() override;
    // Reads the clock and the input and steps the core once; while paused, only the window's own
    // keys are read and the game's clock stands still.
    void update() override;
    void shutdown() override;
    // One whole frame: update, then every pass of the picture.
    void render() override;

    const game_state& state() const { return core_.state; }
    bool paused() const { return paused_by_key_ || paused_by_focus_; }
    game_core& core() { return core_; }
    // Null until startup has run, and after shutdown.
    frame_renderer* renderer() { return renderer_.get(); }

    // Not game rules: where the level is read from (tools and tests pick other levels), the
    // sound device to open (empty for the system's default), and, when set, where each frame's
    // input comes from instead of the window's keys.
    std::string level_path = assets::level_file;
    std::string sound_device;
    // Where to write this run's frame records at shutdown, and a recording to play instead of
    // the keys; empty when not asked.
    std::string record_path;
    std::string replay_path;
    std::function<frame_input(double time)> input_source;
    // The events of the latest step, for tests and tools to observe.
    game_events last_events;

private:
    void keep_a_won_run();

    game_core core_;
    recording run_;
    std::optional<recording> replay_;
    std::size_t replayed_ = 0;
    bool paused_by_key_ = false;
    bool paused_by_focus_ = false;
    double pause_began_ = 0.0;
    double paused_seconds_ = 0.0;  // wall time spent paused, taken off the game's clock
    std::unique_ptr<frame_renderer> renderer_;
    std::unique_ptr<key_input> keys_;
    std::unique_ptr<sound_engine> sound_;
};

}  // namespace quillomar
