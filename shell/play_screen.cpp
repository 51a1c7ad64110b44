#include "shell/play_screen.h"

#include "framework/key_map.h"
#include "framework/seams.h"
#include "game/medal_times.h"
#include "records/medal_store.h"
#include "records/records_store.h"
#include <cctype>
#include <iostream>
#include "game/tick_clock.h"
#include "game/words.h"
#include "shell/edit_mode.h"
#include "shell/menu_mode.h"
#include "shell/overview_screen.h"
#include "shell/pause_screen.h"
#include "shell/quillomar_game.h"
#include "shell/win_screen.h"

namespace quillomar {

play_screen::play_screen(std::unique_ptr<play_session> session) : session_(std::move(session)) {}

void play_screen::enter(quillomar_game& game, bool returning) {
    if (returning) {
        session_->go_on();
        return;
    }
    if (!began_) {
        began_ = true;
        session_->begin(game);
    }
}

void play_screen::leave(quillomar_game& game, bool covered) {
    // A menu, the list or another level takes the pointer back.
    if (game.keys() != nullptr) {
        game.keys()->capture_pointer(false);
    }
    if (covered) {
        session_->hold();
    } else {
        session_->end(game);
    }
}

void play_screen::handle_keys(quillomar_game& game) {
    key_input& keys = *game.keys();
    if (keys.take(window_action::ghost) % 2 == 1) {
        session_->show_ghost = !session_->show_ghost;
    }
    if (keys.take(window_action::fall_map) % 2 == 1) {
        game.fall_map_shown = !game.fall_map_shown;
    }
    const game_state& s = session_->state();
    const bool game_over = s.won || s.lost || !s.has_level;
    const bool play_test = session_->play_test();
    // A gamepad's Start is Enter once the game is over; during play it pauses, as the Pause key
    // and the window losing the focus do.
    const int start = keys.take(window_action::pad_start);
    const bool focus_lost = !keys.focused() && was_focused_;
    was_focused_ = keys.focused();
    if (keys.take(window_action::pause) > 0 || (start > 0 && !game_over) || focus_lost) {
        game.push(std::make_unique<pause_screen>());
        return;
    }
    // A play-test ends in the editor, not in another level or screen.
    if (keys.take(window_action::theatre) % 2 == 1 && !play_test) {
        game.open_replays();
        return;
    }
    if (keys.take(window_action::edit_level) > 0 && !play_test) {
        game.edit_played_level(session_->level_path());
        return;
    }
    if (keys.take(window_action::level_list) % 2 == 1 && !play_test) {
        game.open_level_list();
        return;
    }
    if (game.from_menu() && !play_test && !game_over && game.overview_held()) {
        game.push(std::make_unique<overview_screen>());
        return;
    }
    if (keys.take(window_action::confirm) + start > 0 && game_over && !play_test) {
        go_on_after_the_end(game);
    }
}

void play_screen::go_on_after_the_end(quillomar_game& game) {
    // After a win Enter goes on to the next level of the set; after a loss, or past the set's
    // last level, or for a level outside the set, it plays the same level again.
    const std::string next = session_->state().won ? game.next_level_after(*session_) : "";
    game.play_level(next.empty() ? session_->level_path() : next, game.from_menu());
}

void play_screen::step(quillomar_game& game) {
    if (game.keys() != nullptr) {
        handle_keys(game);
        if (&game.top() != this) {
            return;
        }
    }
    if (game.keys() != nullptr) {
        // The pointer steers only while the player plays: a replay or a run that has ended
        // leaves it to the menus.
        const game_state& now = session_->state();
        game.keys()->capture_pointer(game.steering_in_play() == steering::direct &&
                                     game.keys()->focused() && !session_->replaying() &&
                                     !now.won && !now.lost && now.has_level);
    }
    if (game.from_menu()) {
        session_->set_speed(game.game_speed(), game.frame_time());
    }
    session_->retry_on_restart = game.from_menu() && !session_->play_test();
    session_->step(game, game.frame_time());
    if (session_->retry_wanted()) {
        // A new attempt from the start: the clock at 0 and every life back.
        game.play_level(session_->level_path(), false);
        return;
    }
    keep_medal_times(game);
    const game_state& s = session_->state();
    for (const game_event& e : game.last_events) {
        if (e.kind == event_kind::item_picked && game.from_menu() && crystal_hint_due_) {
            crystal_hint_due_ = false;
            crystal_hint_until_ = session_->ticks() + 6 * ticks_per_second;
        }
    }
    if (session_->play_test()) {
        if (s.won || s.lost) {
            game.editor()->play_test_ended(
                s.lost ? "lost" : "finished in " + format_run_time(s.finish_time - s.play_started),
                5 - s.lives);
            game.pop();
        }
        return;
    }
    if (game.from_menu() && s.won && !win_shown_) {
        win_shown_ = true;
        game.push(std::make_unique<win_screen>());
    }
}

void play_screen::keep_medal_times(quillomar_game& game) {
    // Once the level's route is proven its medal times are kept beside the records, for the list.
    if (medals_kept_ || !session_->counts()) {
        return;
    }
    const proven_route* route = game.routes().find(session_->level_key());
    if (route == nullptr) {
        return;
    }
    medals_kept_ = true;
    medal_times_ = route->finished ? medal_times_for(route->seconds) : std::nullopt;
    medal_store medals(default_records_folder());
    if (const std::optional<std::string> line = medals.load()) {
        std::cout << *line << std::endl;
    }
    if (medal_times_ && medals.find(session_->level_key()) == nullptr) {
        medals.set(session_->level_key(), *medal_times_);
    }
}

void play_screen::draw(quillomar_game& game) {
    session_->draw(game, hud_lines(game), false, game.from_menu() && game.heading_arrow_shown());
}

void play_screen::draw_under(quillomar_game& game, const std::vector<hud_line>& lines) {
    session_->draw(game, lines, true);
}

void play_screen::escape(quillomar_game& game) {
    if (session_->play_test()) {
        game.editor()->play_test_ended("stopped", 5 - session_->state().lives);
        game.pop();
    } else if (game.from_menu()) {
        game.push(std::make_unique<pause_screen>());
    } else {
        game.quit();
    }
}

bool play_screen::escape_ends_game(quillomar_game& game) {
    return !game.from_menu() && !session_->play_test() &&
           !(game.keys() && game.menus().escape_latched(*game.keys()));
}

namespace {

// The key bound to the command named `action` ("flip"), as the player's settings have it.
std::string key_for(const quillomar_game& game, const std::string& action) {
    quillomar_game& g = const_cast<quillomar_game&>(game);
    if (g.keys() != nullptr) {
        for (const key_binding& bound : g.keys()->bindings()) {
            if (bound.action == action) {
                return bound.key;
            }
        }
    }
    return action;
}

}  // namespace

std::vector<hud_line> play_screen::hud_lines(const quillomar_game& game) const {
    std::vector<hud_line> lines;
    if (session_->play_test()) {
        lines.push_back({"Play-test - Esc: back to the editor", false, -200, 80, hud_tone::title});
    }
    if (game.from_menu()) {
        // What a player starting from the title menu gets beside the game's own HUD: the level's
        // name and hint for its first seconds, the flip key at the first crystal, the medal
        // still to be had beside the clock, the assist.
        quillomar_game& g = const_cast<quillomar_game&>(game);
        std::vector<panel_line> below;
        if (session_->ticks() < 5 * ticks_per_second) {
            below.push_back({game.level_title(session_->level_path()), hud_tone::title});
            if (const std::string seed = game.level_seed_note(session_->level_path());
                !seed.empty()) {
                below.push_back({seed, hud_tone::dim, 0.7f});
            }
            below.push_back({game.level_hint(session_->level_path())});
        } else if (session_->ticks() < crystal_hint_until_) {
            below.push_back({"A crystal: press " + key_for(game, "flip") + " to flip the level"});
        }
        const game_state& s = session_->state();
        if (s.lost) {
            below.push_back({"Enter: play again"});
            const std::string fall_map_key =
                g.keys() ? g.keys()->bound_key_name(window_action::fall_map) : "H";
            below.push_back({fall_map_key + ": " +
                             (game.fall_map_shown ? tr("hide where lives were lost")
                                                  : tr("show where lives were lost"))});
        }
        std::vector<hud_line> beside_clock;
        if (session_->practising()) {
            beside_clock.push_back({"Practice", true, g.width, 50});  // kept at the right edge
        }
        if (session_->assisted()) {
            beside_clock.push_back({"Assist", true, 330, 50});
        } else if (medal_times_ && session_->counts() && s.play_started >= 0.0) {
            const double end = s.won ? s.finish_time : s.clock_time;
            const medal_target target = medal_in_reach(*medal_times_, end - s.play_started);
            std::string name = medal_name(target.earned);
            name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
            beside_clock.push_back({name + " " + format_run_time(target.tenths / 10.0), true, 8,
                                    200, target.in_reach ? hud_tone::ahead : hud_tone::behind});
        }
        // The lines by the clock come first: where the window is too small for all, the
        // title and hint at the bottom give way.
        lines = grown_with_text(std::move(beside_clock), g.menus().text_scale());
        const std::vector<hud_line> low = stacked_at_bottom(below, g.text_frame());
        lines.insert(lines.end(), low.begin(), low.end());
        return lines;
    }
    if (session_->practising()) {
        lines.push_back({"Practice", false, -60, 100});
    }
    const game_state& s = session_->state();
    if (s.won) {
        const bool has_next = !game.next_level_after(*session_).empty();
        lines.push_back({has_next ? "Enter: next level" : "Enter: play again", false, -60, 250});
    } else if (s.lost) {
        lines.push_back({"Enter: play again", false, -60, 250});
    }
    return lines;
}

}  // namespace quillomar
