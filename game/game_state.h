// Everything the game is at one moment: the level, the ball and its physics, the cameras, the
// burst, the light, the rules' counters and the display settings. The core's step is the only
// writer during play; the renderer, the HUD and the tests read it.
#pragma once

#include <glm/glm.hpp>
#include <memory>
#include <string>
#include <vector>

#include "camera/follow_camera.h"
#include "common/random_stream.h"
#include "camera/free_camera.h"
#include "camera/view_frustum.h"
#include "level/level.h"
#include "particles/particle_system.h"
#include "physics/orbel.h"
#include "physics/physics_world.h"

namespace quillomar {

// The light sweeps along z between its start and z = 80 - start, 15 s each way.
struct light_state {
    glm::vec3 position{30.0f, 60.0f, 0.0f};
    bool sweeping = false;
    glm::vec3 sweep_start_pos{30.0f, 60.0f, 0.0f};
    double sweep_start_time = 0.0;
};

// The switches of the function keys.
struct display_settings {
    bool show_frame_time = false;
    bool wireframe = false;
    bool nearest_sampling = false;
    int mipmap_mode = 2;  // 0 off, 1 nearest, 2 linear
    bool culling = true;
    bool transparency = true;
};

// The announcement line: shown for five seconds from the first frame it is visible; a newer
// text replaces it without restarting that time.
struct hud_message {
    std::string text;
    bool visible = false;
    bool timer_started = false;
    double start_time = 0.0;
};

// Times of play (seconds from the first frame the ball could be steered) at each pick-up, in
// the order they happened, and at the finish (negative until then).
struct run_splits {
    std::vector<double> items;
    double finish = -1.0;
};

// How the HUD speaks (set by the shell). `classic`: the game's own lines, word for word. `player`:
// a game started from the title menu, whose split stands on a line of its own and reads as ahead
// or behind, and whose lost game shows no life left. `player_replay`: the same watching a replay,
// whose end names the run's time instead of a win.
enum class hud_voice { classic, player, player_replay };

struct game_state {
    ::quillomar::level level;
    bool has_level = false;  // the level file gave something to play on
    orbel ball;
    std::unique_ptr<physics_world> physics;

    ::quillomar::follow_camera follow_camera;
    ::quillomar::free_camera free_camera;
    bool use_follow_camera = true;
    // The active camera's matrices and the frustum placed for it, rebuilt every step.
    glm::mat4 projection{1.0f};
    glm::mat4 view{1.0f};
    glm::vec3 cam_pos{0.0f};
    view_frustum frustum;

    particle_system particles;
    bool particles_active = false;
    // Off for games nobody watches (the ghost's run): the burst changes nothing in play.
    bool simulate_burst = true;
    glm::vec3 emitter_pos{0.0f};
    double pickup_time = 0.0;

    light_state light;

    // The game's one source of randomness (spider legs, the burst): seeded, so a game played
    // again from the same records is the same game. A ghost's run has its own.
    random_stream random;

    int change_count = 0;
    int lives = 5;
    bool dying = false;
    bool death_reported = false;
    double death_time = 0.0;
    std::string countdown_text;
    bool won = false;
    bool lost = false;

    display_settings display;
    hud_message message;
    bool music_on = false;
    bool win_sound_played = false;

    double fps_last_frame = -1.0;  // the previous drawn frame's time
    double fps_time = 0.0;
    int fps_frames = 0;
    std::string fps_text;

    // The clock of play: dt of an update is the time since the previous update.
    bool has_previous_time = false;
    double previous_time = 0.0;
    // When the ball could first be steered, and when it reached the finish (game time).
    double play_started = -1.0;
    double finish_time = -1.0;
    // The latest step's game time while the game is neither won nor lost: the running clock.
    double clock_time = 0.0;
    // This run's splits, and the best run's to race against (set by the shell; empty when the
    // level has no best run yet).
    run_splits splits;
    run_splits best_splits;
    hud_voice voice = hud_voice::classic;

    // What the last step did, for tests and the benchmark.
    int last_physics_steps = 0;
    float last_dt = 0.0f;
    long updates_run = 0;
};

}  // namespace quillomar
