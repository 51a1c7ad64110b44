#include "shell/preview_screen.h"

#include <algorithm>

#include <GLFW/glfw3.h>

#include "framework/key_map.h"
#include "game/scene_camera.h"
#include "render/frame_renderer.h"
#include "shell/quillomar_game.h"

namespace quillomar {
namespace {

// The last second of every preview brings the camera back to the ball.
constexpr double return_seconds = 1.0;

}  // namespace

double preview_screen::flight_seconds(double route_seconds) {
    return std::clamp(2.0 + route_seconds / 10.0, 3.0, 6.0);
}

void preview_screen::enter(quillomar_game& game, bool returning) {
    if (returning) {
        return;
    }
    began_ = game.frame_time();
    if (key_input* keys = game.keys()) {
        // The key that chose the level is no key to skip its preview.
        keys->take_key();
        keys->take_clicks();
    }
    const play_session* session = game.session();
    if (session == nullptr) {
        return;
    }
    title_ = game.level_title(session->level_path());
    seed_note_ = game.level_seed_note(session->level_path());
    hint_ = game.level_hint(session->level_path());
    if (const proven_route* route = game.routes().find(session->level_key())) {
        flies_route_ = route->finished;
        seconds_ = flies_route_ ? flight_seconds(route->seconds) : 4.0;
    }
}

void preview_screen::step(quillomar_game& game) {
    bool skipped = false;
    if (key_input* keys = game.keys()) {
        const int key = keys->take_key();
        skipped = (key != GLFW_KEY_UNKNOWN && key != GLFW_KEY_ESCAPE) || keys->take_clicks() > 0;
        // Escape (quit) is left for escape().
        for (int a = 0; a < window_action_count; ++a) {
            const auto action = static_cast<window_action>(a);
            skipped = (action != window_action::quit && keys->take(action) > 0) || skipped;
        }
        const frame_input play_keys = keys->sample(0.0);
        for (std::size_t c = 0; c < command_count; ++c) {
            skipped = play_keys.presses[c] > 0 || skipped;
        }
    }
    // After the flight the camera waits behind the ball for the player's key: the run starts
    // when the player is ready, not when the flight happens to end.
    if (skipped || game.session() == nullptr) {
        game.pop();
    }
}

void preview_screen::draw(quillomar_game& game) {
    play_session* session = game.session();
    if (session == nullptr) {
        return;
    }
    const game_state& s = session->state();
    const double t = std::min(game.frame_time() - began_, seconds_);
    const double flight = std::max(0.1, seconds_ - return_seconds);
    camera_shot shot = orbit_shot(s.level, t);
    const proven_route* route = flies_route_ ? game.routes().find(session->level_key()) : nullptr;
    if (route != nullptr) {
        shot = chase_shot(route->path, std::min(t, flight) / flight * route->seconds);
    }
    if (t > flight) {
        shot = blend_shots(shot, follow_shot(s), (t - flight) / return_seconds);
    }
    game.draw_session_from(shot, hud_lines(game));
}

void preview_screen::escape(quillomar_game& game) {
    // The screens the level was chosen on went when its play began; they are opened afresh.
    game.open_title();
    if (came_from_ == "list") {
        game.open_level_list();
    }
}

std::vector<hud_line> preview_screen::hud_lines(const quillomar_game& game) const {
    const hud_frame frame = const_cast<quillomar_game&>(game).text_frame();
    std::vector<panel_line> panel{{title_, hud_tone::title, 1.2f}};
    if (!seed_note_.empty()) {
        panel.push_back({seed_note_, hud_tone::dim, 0.7f});
    }
    panel.push_back({hint_});
    std::vector<hud_line> lines = stacked_panel(panel, frame, 0.18f);
    const std::vector<hud_line> key = stacked_at_bottom({{"Any key: play", hud_tone::dim}}, frame);
    lines.insert(lines.end(), key.begin(), key.end());
    return lines;
}

}  // namespace quillomar
