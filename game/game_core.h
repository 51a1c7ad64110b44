// The game without a window: it loads a level, and each frame takes one input record and
// returns what happened. Nothing here reads a clock, a key or a file after start-up, so the same
// records played again give the same game.
#pragma once

#include <string>
#include <vector>

#include "actors/level_actors.h"
#include "game/commands.h"
#include "game/game_events.h"
#include "game/game_state.h"

namespace quillomar {

// The quarter turns right from north that the level's start facing asks of the ball.
int start_quarter_turns(const ::quillomar::level& lvl);

class game_core {
public:
    game_state state;

    game_core() = default;
    // The physics world holds on to the ball inside `state`: a core never moves.
    game_core(const game_core&) = delete;
    game_core& operator=(const game_core&) = delete;

    // Start-up, in this order (the shell logs around each piece): read the level, place its
    // items and spiders, put the ball on the start, set the cameras, build the physics.
    // read_level hands back the reader's lines and one line when there is nothing to play, in
    // the order they are to be printed; false when the file gave no level.
    bool read_level(const std::string& path, std::vector<std::string>& lines);
    // The same, printing those lines at once: for the main thread only.
    bool read_level(const std::string& path);
    // Takes a level already read (by read_file) instead; the same start-up follows.
    void use_level(const ::quillomar::level& loaded);
    void place_items() { state.level.place_items(); }
    void place_enemies() { ::quillomar::place_enemies(state.level); }
    void init_ball();
    void init_cameras();
    void create_physics();

    // Shapes both cameras' projections and the frustum for a picture `aspect` times as wide as
    // it is high (the window's framebuffer); 4:3 until told otherwise.
    void set_aspect(float aspect);

    // One frame: the death countdown, the update of play, or the win; then the message timer
    // and the active camera.
    game_events step(const frame_input& input);

    // The frame-rate display counts drawn frames, not ticks: the shell tells the time of each.
    void count_drawn_frame(double time);

private:
    void update(const frame_input& input, game_events& events);
    void restart(double time, game_events& events);
    void handle_flip(const frame_input& input, game_events& events);
    void handle_toggles(const frame_input& input, game_events& events);
    void sweep_light(double time);
    void apply_rules(double time, game_events& events);
    void run_particles(double time, float dt);
    void handle_function_keys(const frame_input& input, game_events& events);
    void count_frame(float dt);
    void show_message(const std::string& text, game_events& events);
    void run_message_timer(double time);
    void apply_active_camera();
};

}  // namespace quillomar
