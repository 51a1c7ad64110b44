#include "shell/attract_mode.h"

#include <algorithm>

#include "actors/level_actors.h"
#include "game/replay_theatre.h"
#include "game/scene_camera.h"
#include "game/tick_clock.h"
#include "records/records_store.h"
#include "render/frame_renderer.h"
#include "shell/quillomar_game.h"

namespace quillomar {
namespace {

// How long a level without a proven route circles before the next, and how long a finished run
// stays before the next level.
constexpr double orbit_seconds = 8.0;
constexpr double linger_seconds = 2.0;

}  // namespace

void attract_mode::show_next_level(quillomar_game& game, double now) {
    const level_set& set = game.levels();
    path_ = set.empty() ? game.level_path : set[next_ % set.size()].path;
    next_ = set.empty() ? 0 : (next_ + 1) % set.size();
    level as_read;
    core_.reset();
    tick_ = 0;
    playing_since_ = -1.0;
    ended_at_ = -1.0;
    shown_since_ = now;
    if (!as_read.read_file(path_) || as_read.cubes.empty()) {
        return;
    }
    key_ = level_key_of_file(path_);
    game.routes().request(key_, as_read);
    level placed = as_read;
    placed.place_items();
    place_enemies(placed);
    core_ = fresh_core(placed);
}

void attract_mode::step(quillomar_game& game, double now) {
    if (!core_ && (path_.empty() || now - shown_since_ > linger_seconds)) {
        show_next_level(game, now);
    }
    if (!core_) {
        return;
    }
    core_->set_aspect(game.aspect());
    const proven_route* route = game.routes().find(key_);
    if (route == nullptr) {
        return;
    }
    if (!route->finished) {
        if (now - shown_since_ > orbit_seconds) {
            show_next_level(game, now);
        }
        return;
    }
    if (playing_since_ < 0.0) {
        playing_since_ = now;
    }
    const std::size_t due = std::min(
        route->ticks.size(),
        static_cast<std::size_t>((now - playing_since_) * ticks_per_second) + 1);
    // No more than a quarter second of catch-up a frame, as in play.
    for (int n = 0; tick_ < due && n < max_ticks_per_frame; ++n, ++tick_) {
        frame_input input = route->ticks[tick_];
        input.time = tick_time(static_cast<long>(tick_) + 1);
        core_->step(input);
    }
    const game_state& s = core_->state;
    if (ended_at_ < 0.0 && (tick_ >= route->ticks.size() || s.won || s.lost)) {
        ended_at_ = now;
    }
    if (ended_at_ >= 0.0 && now - ended_at_ > linger_seconds) {
        show_next_level(game, now);
    }
}

void attract_mode::draw(quillomar_game& game, const std::vector<hud_line>& lines) {
    if (!core_) {
        game.draw_lines_only(lines);
        return;
    }
    game_state& s = core_->state;
    const proven_route* route = game.routes().find(key_);
    kept_camera kept(s);
    if (route != nullptr && route->finished && playing_since_ >= 0.0) {
        kept.aim(chase_shot(route->path, tick_time(static_cast<long>(tick_))));
    } else {
        kept.aim(orbit_shot(s.level, game.frame_time() - shown_since_));
    }
    frame_renderer& renderer = *game.renderer();
    renderer.darkened = true;
    renderer.fall_map.shown = false;
    renderer.draw(s, game.width, game.height, lines);
    renderer.darkened = false;
}

}  // namespace quillomar
