#include "shell/win_screen.h"

#include "framework/key_map.h"
#include "game/medal_times.h"
#include "shell/pause_screen.h"
#include "shell/play_screen.h"
#include "game/words.h"
#include "shell/quillomar_game.h"

namespace quillomar {

void win_screen::step(quillomar_game& game) {
    if (auto* play = dynamic_cast<play_screen*>(game.below(*this))) {
        play->keep_medal_times(game);
    }
    key_input& keys = *game.keys();
    // The pause key (or the page's Pause button) opens the pause menu as Escape does; a click
    // or a tap on the panel goes on as Enter does.
    if (keys.take(window_action::pause) > 0) {
        escape(game);
        return;
    }
    if (keys.take(window_action::copy_code) > 0 && game.session() != nullptr) {
        note_ = game.copy_level_file_code(game.session()->level_path());
    }
    const int go_on = keys.take(window_action::confirm) + keys.take(window_action::pad_start) +
                      keys.take(window_action::menu_accept) + keys.take_clicks();
    const play_session* session = game.session();
    if (go_on == 0 || session == nullptr) {
        return;
    }
    const std::string next = game.next_level_after(*session);
    game.play_level(next.empty() ? session->level_path() : next, true);
}

void win_screen::enter(quillomar_game& game, bool /*returning*/) {
    // A click or a pause made in play, or in the menu over the panel, is no choice made on it.
    if (game.keys() != nullptr) {
        game.keys()->take_clicks();
        game.keys()->take(window_action::pause);
    }
}

void win_screen::draw(quillomar_game& game) {
    game.draw_below(*this, hud_lines(game));
}

void win_screen::draw_under(quillomar_game& game, const std::vector<hud_line>& lines) {
    game.draw_below(*this, lines);
}

// The pause menu goes over the panel, so the won level is never left on screen without it.
void win_screen::escape(quillomar_game& game) {
    game.push(std::make_unique<pause_screen>());
}

std::vector<hud_line> win_screen::hud_lines(const quillomar_game& game) const {
    const play_session* session = game.session();
    if (session == nullptr) {
        return {};
    }
    quillomar_game& g = const_cast<quillomar_game&>(game);
    const game_state& s = session->state();
    const int lost = 5 - s.lives;
    std::vector<panel_line> panel = {
        {"Finished!", hud_tone::title, 1.4f},
        {"Time " + format_run_time(s.finish_time - s.play_started)},
        {lost == 0 ? "No life lost"
                   : std::to_string(lost) + (lost == 1 ? " life lost" : " lives lost")},
    };
    if (session->assisted()) {
        panel.push_back({"Assist: no record kept"});
    } else if (const proven_route* route = g.routes().find(session->level_key())) {
        // The medals come from the time of the level's proven route.
        if (const std::optional<medal_times> times =
                route->finished ? medal_times_for(route->seconds) : std::nullopt) {
            const medal earned = medal_for(*times, s.finish_time - s.play_started);
            const hud_tone tones[] = {hud_tone::plain, hud_tone::bronze, hud_tone::silver,
                                      hud_tone::gold, hud_tone::author};
            panel.push_back({earned == medal::none      ? "No medal"
                             : earned == medal::author ? "Medal: author - the proven time beaten"
                                                       : "Medal: " + medal_name(earned),
                             tones[static_cast<int>(earned)]});
            if (const std::optional<long> next = next_medal_tenths(*times, earned)) {
                panel.push_back({"Next to beat: " + tenths_text(*next) + " s"});
            }
        }
    }
    const bool has_next = !game.next_level_after(*session).empty();
    panel.push_back({has_next ? "Enter: next level" : "Enter: play again", hud_tone::plain, 0.8f});
    panel.push_back({"Escape: menu", hud_tone::plain, 0.8f});
    if (game.from_menu()) {
        panel.push_back({note_.empty() ? tr("Ctrl+C: copy the level's code") : note_,
                         hud_tone::plain, 0.8f});
    }
    return stacked_panel(panel, g.text_frame(), 0.5f);
}

}  // namespace quillomar
