#include "shell/online_screen.h"

#include <algorithm>

#include "authoring/shared_level.h"
#include "framework/key_map.h"
#include "game/hud_lines.h"
#include "game/recording.h"
#include "game/words.h"
#include "records/records_store.h"
#include "records/settings.h"
#include "shell/list_pointer.h"
#include "shell/menu_mode.h"
#include "shell/quillomar_game.h"

namespace quillomar {
namespace {

menu_entry entry(std::string label, std::vector<std::string> values = {}) {
    menu_entry e;
    e.label = std::move(label);
    e.values = std::move(values);
    return e;
}

std::string order_label(level_order order) {
    return order == level_order::newest   ? tr("Newest")
           : order == level_order::played ? tr("Most played")
                                          : tr("Most records");
}

}  // namespace

void online_screen::enter(quillomar_game& game, bool returning) {
    if (online_client* client = game.online()) {
        client->try_now();
        if (!returning) {
            ask_page(game);
        } else if (!level_key_.empty()) {
            client->ask_leaderboard(level_key_);
        }
    }
    if (game.keys() != nullptr) {
        game.keys()->take_clicks();
    }
}

void online_screen::ask_page(quillomar_game& game) {
    if (online_client* client = game.online()) {
        client->ask_levels(order_, offset_, levels_a_page);
    }
}

std::vector<online_screen::shown_row> online_screen::rows(const quillomar_game& game) const {
    quillomar_game& g = const_cast<quillomar_game&>(game);
    online_client* client = g.online();
    std::vector<shown_row> out;
    if (!level_key_.empty()) {
        out.push_back({row::play, 0, entry(tr("Play against the record run"))});
        const leaderboard* board = client != nullptr ? client->board(level_key_) : nullptr;
        if (board != nullptr) {
            for (const board_row& r : board->top) {
                out.push_back({row::board, 0,
                               entry(std::to_string(r.rank) + ". " + r.player,
                                     {format_run_time(r.seconds)})});
            }
            if (board->top.empty()) {
                out.push_back({row::board, 0, entry(tr("No run on the board yet"))});
            }
            out.push_back(
                {row::board, 0,
                 board->you ? entry(fill_in(tr("You: rank %1"), std::to_string(board->you->rank)),
                                    {format_run_time(board->you->seconds)})
                            : entry(tr("You: no run sent"))});
        }
        out.push_back({row::board, 0,
                       entry(tr("Your own best"),
                             {own_best_ ? format_run_time(*own_best_) : std::string("-")})});
        out.push_back({row::back, 0, entry(tr("Back"))});
        return out;
    }
    const std::string typing_mark = typed_ + "_";
    if (client != nullptr) {
        out.push_back({row::order, 0, entry(tr("Order"), {order_label(order_)})});
        if (const std::optional<shared_level_page>& page = client->levels()) {
            for (std::size_t i = 0; i < page->levels.size(); ++i) {
                const shared_level_row& l = page->levels[i];
                out.push_back(
                    {row::level, i,
                     entry(l.title.empty() ? l.key : l.title,
                           {fill_in(tr("played %1, records %2"), std::to_string(l.plays),
                                    std::to_string(l.records))})});
            }
            if (page->offset > 0) {
                out.push_back({row::previous, 0, entry(tr("Previous page"))});
            }
            if (page->offset + static_cast<long long>(page->levels.size()) < page->total) {
                out.push_back({row::next, 0, entry(tr("Next page"))});
            }
        }
    }
    const std::string& server = g.menus().saved().server;
    out.push_back({row::server, 0,
                   entry(tr("Server"), {typing_ == typing::server ? typing_mark
                                        : server.empty()          ? tr("none")
                                                                  : server})});
    if (client != nullptr) {
        out.push_back({row::name, 0,
                       entry(tr("Your name"), {typing_ == typing::name ? typing_mark
                                                                       : client->identity().name})});
    }
    out.push_back({row::send, 0,
                   entry(tr("Send my runs"), {g.menus().saved().send_runs ? tr("on") : tr("off")})});
    out.push_back({row::back, 0, entry(tr("Back"))});
    return out;
}

void online_screen::edit_text(quillomar_game& game) {
    key_input& keys = *game.keys();
    typed_ += keys.take_typed();
    typed_.resize(std::min<std::size_t>(typed_.size(), max_server_address_chars));
    for (int n = keys.take(editor_action::erase_letter); n > 0 && !typed_.empty(); --n) {
        typed_.pop_back();
    }
    const bool done = keys.take(window_action::confirm) > 0;
    keys.drop_editor_presses();
    if (!done) {
        return;
    }
    if (typing_ == typing::server) {
        if (!typed_.empty() && typed_.find("://") == std::string::npos) {
            typed_ = "http://" + typed_;
        }
        if (!typed_.empty() && !valid_server_address(typed_)) {
            note_ = tr("An address is http:// or https://, a host and a port, without blanks");
            return;
        }
        game.set_server(typed_);
        note_.clear();
        ask_page(game);
    } else {
        if (!valid_player_name(typed_)) {
            note_ = tr("A name is 1 to 32 letters, digits, '-', '_' or '.'");
            return;
        }
        game.rename_player(typed_);
        note_.clear();
    }
    typing_ = typing::none;
}

void online_screen::step(quillomar_game& game) {
    online_client* client = game.online();
    if (downloading_ && client != nullptr) {
        if (std::optional<online_client::download> got = client->take_download()) {
            downloading_ = false;
            if (!got->problem.empty()) {
                note_ = got->problem;
            } else {
                std::optional<recording> run;
                if (!got->record_text.empty()) {
                    run = parse_recording(got->record_text);
                    if (run && run->level_key != got->key) {
                        run.reset();
                    }
                }
                const kept_shared_level kept =
                    keep_shared_level(default_records_folder(), got->key, got->level_text, run);
                if (kept.level_path.empty()) {
                    note_ = kept.failed.empty()
                                ? tr("The level cannot be kept: there is no folder for records.")
                                : fill_in(tr("The level cannot be kept in %1: %2"), kept.failed,
                                          kept.why);
                } else {
                    game.play_level(kept.level_path, true);
                    return;
                }
            }
        }
    }
    if (game.keys() == nullptr) {
        return;
    }
    key_input& keys = *game.keys();
    if (typing_ != typing::none) {
        edit_text(game);
        return;
    }
    const std::vector<shown_row> shown = rows(game);
    const int up = keys.take(window_action::list_up);
    const int down = keys.take(window_action::list_down);
    const int sideways = keys.take(window_action::menu_right) - keys.take(window_action::menu_left);
    int confirm = keys.take(window_action::confirm) + keys.take(window_action::menu_accept) +
                  keys.take(window_action::pad_start);
    if (keys.take(window_action::menu_back) > 0) {
        escape(game);
        return;
    }
    const list_pointer pointer = take_list_pointer(keys, layout(game));
    pointer_x_ = pointer.x;
    pointer_y_ = pointer.y;
    const long last = static_cast<long>(shown.size()) - 1;
    choice_ = static_cast<std::size_t>(
        std::clamp(static_cast<long>(choice_) - up + down, 0L, last));
    if (pointer.clicked) {
        choice_ = std::min<std::size_t>(*pointer.clicked, shown.size() - 1);
        ++confirm;
    }
    if (up + down > 0 || pointer.clicked) {
        note_.clear();
    }
    if (confirm > 0 || sideways != 0) {
        choose(game, shown[choice_], confirm > 0 ? 0 : sideways);
    }
}

void online_screen::choose(quillomar_game& game, const shown_row& chosen, int sideways) {
    online_client* client = game.online();
    switch (chosen.what) {
        case row::order: {
            const int step = sideways == 0 ? 1 : sideways;
            order_ = static_cast<level_order>((static_cast<int>(order_) + 3 + step % 3) % 3);
            offset_ = 0;
            ask_page(game);
            return;
        }
        case row::send: {
            settings values = game.menus().saved();
            values.send_runs = !values.send_runs;
            game.menus().keep(values);
            return;
        }
        default:
            break;
    }
    if (sideways != 0) {
        return;
    }
    switch (chosen.what) {
        case row::level:
            if (client != nullptr && client->levels() &&
                chosen.level < client->levels()->levels.size()) {
                const shared_level_row& l = client->levels()->levels[chosen.level];
                level_key_ = l.key;
                level_title_ = l.title.empty() ? l.key : l.title;
                records_store records(default_records_folder());
                records.load();
                const level_record* own = records.find(l.key);
                own_best_ = own != nullptr ? std::optional<double>(own->best_time_seconds)
                                           : std::nullopt;
                client->ask_leaderboard(l.key);
                choice_ = 0;
            }
            return;
        case row::previous:
        case row::next:
            offset_ = std::max(0LL, offset_ + (chosen.what == row::next ? levels_a_page
                                                                        : -levels_a_page));
            choice_ = 0;
            ask_page(game);
            return;
        case row::server:
        case row::name:
            typing_ = chosen.what == row::server ? typing::server : typing::name;
            typed_ = chosen.what == row::server ? game.menus().saved().server
                     : client != nullptr        ? client->identity().name
                                                : std::string();
            game.keys()->take_typed();
            return;
        case row::play:
            if (client != nullptr) {
                client->ask_download(level_key_);
                downloading_ = true;
            }
            return;
        case row::back:
            escape(game);
            return;
        default:
            return;
    }
}

void online_screen::draw(quillomar_game& game) {
    draw_under(game, hud_lines(game));
}

void online_screen::draw_under(quillomar_game& game, const std::vector<hud_line>& lines) {
    game.draw_below(*this, lines);
}

void online_screen::escape(quillomar_game& game) {
    if (typing_ != typing::none) {
        typing_ = typing::none;
        note_.clear();
        return;
    }
    if (!level_key_.empty()) {
        level_key_.clear();
        downloading_ = false;
        choice_ = 0;
        return;
    }
    game.pop();
}

std::vector<hud_line> online_screen::hud_lines(const quillomar_game& game) const {
    return layout(game).lines;
}

menu_layout online_screen::layout(const quillomar_game& game) const {
    quillomar_game& g = const_cast<quillomar_game&>(game);
    const online_client* client = g.online();
    menu_page page{level_key_.empty() ? tr("Online") : level_title_, {}};
    for (const shown_row& r : rows(game)) {
        page.entries.push_back(r.entry);
    }
    menu shown({page});
    shown.point_at(std::min(choice_, page.entries.size() - 1));
    const hud_frame frame = g.text_frame();
    menu_screen screen = page_screen(frame, pointer_x_, pointer_y_);
    screen.note = note_;
    if (screen.note.empty()) {
        if (typing_ != typing::none) {
            screen.note = tr("Type, then Enter; Escape keeps it as it was");
        } else if (client == nullptr) {
            screen.note = tr("No server is set: choose Server and type its address");
        } else if (client->name_taken()) {
            screen.note = tr("That name is taken on the server: choose Your name and type another");
        } else if (client->offline()) {
            screen.note = client->offline_line();
        } else if (downloading_) {
            screen.note = tr("Downloading the level...");
        } else if (!level_key_.empty() && client->board(level_key_) == nullptr) {
            screen.note = tr("Asking for the leaderboard...");
        } else if (level_key_.empty() && client->levels_pending()) {
            screen.note = tr("Asking for the shared levels...");
        } else if (const std::size_t waiting = client->waiting_runs(); waiting > 0) {
            screen.note = fill_in(tr("%1 runs wait to be sent"), std::to_string(waiting));
        }
    }
    return lay_out_menu(shown, screen, frame.metrics);
}

}  // namespace quillomar
