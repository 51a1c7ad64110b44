#include "shell/win_screen.h"

#include <algorithm>

#include "framework/key_map.h"
#include "game/medal_times.h"
#include "records/online_client.h"
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
    const play_session* session = game.session();
    // The pause key (or the page's Pause button) opens the menu as Escape does.
    if (keys.take(window_action::pause) > 0 || session == nullptr) {
        if (session != nullptr) {
            escape(game);
        }
        return;
    }
    if (keys.take(window_action::copy_code) > 0) {
        note_ = game.copy_level_file_code(session->level_path());
    }
    const std::size_t count = next_.empty() ? 1 : 2;
    const int moves = keys.take(window_action::list_down) + keys.take(window_action::menu_right) -
                      keys.take(window_action::list_up) - keys.take(window_action::menu_left);
    choice_ = static_cast<std::size_t>(
        std::clamp(static_cast<int>(choice_) + moves, 0, static_cast<int>(count) - 1));
    // The pointer chooses the row it moves onto; a click on a row takes it, a click or a tap
    // anywhere else takes the choice made.
    const menu_layout shown = layout(game);
    double x = 0.0;
    double y = 0.0;
    keys.cursor(x, y);
    const std::optional<std::size_t> pointed = entry_at(shown, x, y);
    if (pointed && (x != pointer_x_ || y != pointer_y_)) {
        choice_ = *pointed;
    }
    pointer_x_ = x;
    pointer_y_ = y;
    const int clicks = keys.take_clicks();
    const int go_on = keys.take(window_action::confirm) + keys.take(window_action::pad_start) +
                      keys.take(window_action::menu_accept);
    if (clicks > 0 && pointed) {
        take(game, *pointed);
    } else if (go_on > 0 || clicks > 0) {
        take(game, choice_);
    }
}

void win_screen::take(quillomar_game& game, std::size_t choice) {
    // The next level first when the set has one open, then the level again.
    if (next_.empty() || choice > 0) {
        game.play_level(game.session()->level_path(), false);
        return;
    }
    game.play_level(next_, true);
}

void win_screen::enter(quillomar_game& game, bool /*returning*/) {
    // The run's win has been kept by now: the level after it is open or not.
    const play_session* session = game.session();
    next_ = session != nullptr ? game.next_level_after(*session) : std::string();
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
    game.push(std::make_unique<pause_screen>(true));
}

std::vector<hud_line> win_screen::hud_lines(const quillomar_game& game) const {
    return layout(game).lines;
}

menu_layout win_screen::layout(const quillomar_game& game) const {
    const play_session* session = game.session();
    if (session == nullptr) {
        return {};
    }
    quillomar_game& g = const_cast<quillomar_game&>(game);
    const game_state& s = session->state();
    const int lost = 5 - s.lives;
    std::vector<panel_line> panel = {
        {tr("Finished!"), hud_tone::title, 1.4f},
        {fill_in(tr("Time %1"), format_run_time(s.finish_time - s.play_started))},
        {lost == 0   ? tr("No life lost")
         : lost == 1 ? tr("1 life lost")
                     : fill_in(tr("%1 lives lost"), std::to_string(lost))},
    };
    if (session->assisted()) {
        panel.push_back({tr("Won with assist: no record kept")});
    } else if (const proven_route* route = g.routes().find(session->level_key())) {
        // The medals come from the time of the level's proven route.
        if (const std::optional<medal_times> times =
                route->finished ? medal_times_for(route->seconds) : std::nullopt) {
            const medal earned = medal_for(*times, s.finish_time - s.play_started);
            const hud_tone tones[] = {hud_tone::plain, hud_tone::bronze, hud_tone::silver,
                                      hud_tone::gold, hud_tone::author};
            panel.push_back({earned == medal::none ? tr("No medal")
                             : earned == medal::author
                                 ? tr("Medal: author - the proven time beaten")
                                 : fill_in(tr("Medal: %1"), tr(medal_name(earned))),
                             tones[static_cast<int>(earned)]});
            if (const std::optional<long> next = next_medal_tenths(*times, earned)) {
                panel.push_back({fill_in(tr("Next to beat: %1 s"), tenths_text(*next))});
            }
        }
    }
    // The run's fate at the record server, while the panel stands.
    if (!session->online_ticket().empty() && g.online() != nullptr) {
        if (const run_fate* fate = g.online()->fate(session->online_ticket())) {
            panel.push_back({fate_line(*fate), hud_tone::plain, 0.9f});
        }
    }
    std::vector<std::string> choices = {tr("Retry")};
    if (!next_.empty()) {
        choices.insert(choices.begin(), tr("Next level"));
    }
    for (std::size_t i = 0; i < choices.size(); ++i) {
        choices[i] = i == choice_ ? "> " + choices[i] + " <" : choices[i];
        panel.push_back({choices[i], i == choice_ ? hud_tone::chosen : hud_tone::plain, 1.1f});
    }
    panel.push_back({tr("Escape: menu"), hud_tone::plain, 0.8f});
    if (game.from_menu()) {
        panel.push_back({note_.empty() ? tr("Ctrl+C: copy the level's code") : note_,
                         hud_tone::plain, 0.8f});
    }
    const hud_frame frame = g.text_frame();
    menu_layout shown;
    shown.lines = stacked_panel(panel, frame, 0.5f);
    // Each choice's band: its line, from most of a line above its baseline to a third below.
    for (const hud_line& line : shown.lines) {
        const auto found = std::find(choices.begin(), choices.end(), line.text);
        if (found != choices.end()) {
            const float height = frame.metrics.line_height * line.scale * frame.text_scale;
            shown.rows.push_back({static_cast<std::size_t>(found - choices.begin()), 0,
                                  static_cast<int>(line.y_pixels - 0.8f * height), frame.width,
                                  static_cast<int>(line.y_pixels + 0.35f * height)});
        }
    }
    return shown;
}

}  // namespace quillomar
