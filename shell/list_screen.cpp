#include "shell/list_screen.h"

#include <algorithm>
#include <cmath>

#include "authoring/cell_names.h"
#include "authoring/generated_level_file.h"
#include "authoring/level_title.h"
#include "authoring/own_levels.h"
#include "framework/key_map.h"
#include "game/medal_times.h"
#include "game/menu.h"
#include "game/replay_theatre.h"
#include "game/words.h"
#include "records/assisted_store.h"
#include "records/medal_store.h"
#include "records/records_store.h"
#include "shell/list_pointer.h"
#include "shell/quillomar_game.h"

namespace quillomar {

void list_screen::enter(quillomar_game& game, bool returning) {
    if (returning) {
        return;
    }
    records_store records(default_records_folder());
    records.load();
    const std::vector<std::string>& keys = game.level_keys();
    rows_ = game.level_rows();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (const level_statistics* counted = game.statistics().find(keys[i])) {
            rows_[i].attempts = counted->attempts;
            rows_[i].wins = counted->wins;
        }
    }
    // Each won level's best medal, from the medal times kept when its route was proven.
    medal_store medals(records.folder());
    medals.load();
    medals_.assign(rows_.size(), std::string());
    medal_count_ = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const medal_times* times = medals.find(keys[i]);
        if (times != nullptr && rows_[i].best_seconds) {
            const medal earned = medal_for(*times, *rows_[i].best_seconds);
            medals_[i] = medal_name(earned);
            medal_count_ += earned != medal::none ? 1 : 0;
        }
    }
    // The list opens on the first open level not yet won.
    choice_ = rows_.empty() ? 0 : level_to_continue(rows_);
    add_generated_rows(records.folder());
    add_own_rows(game, records.folder());
}

void list_screen::add_own_rows(quillomar_game& game, const std::string& records_folder) {
    own_first_ = rows_.size();
    own_ = own_level_set(own_levels_folder(records_folder));
    own_keys_.clear();
    if (own_.empty()) {
        return;
    }
    records_store records(records_folder);
    records.load();
    medal_store medals(records_folder);
    medals.load();
    assisted_store assisted(records_folder);
    assisted.load();
    // Every one is open: the player made it.
    for (const level_set_entry& entry : own_) {
        const std::string key = level_key_of_file(entry.path);
        own_keys_.push_back(key);
        level_list_row row{entry.title, true, std::nullopt};
        row.assisted = assisted.keys().count(key) > 0;
        std::string won_medal;
        if (const level_record* best = key.empty() ? nullptr : records.find(key)) {
            row.best_seconds = best->best_time_seconds;
            const medal_times* times = medals.find(key);
            if (times != nullptr) {
                const medal earned = medal_for(*times, *row.best_seconds);
                won_medal = medal_name(earned);
                medal_count_ += earned != medal::none ? 1 : 0;
            }
        }
        if (const level_statistics* counted = key.empty() ? nullptr : game.statistics().find(key)) {
            row.attempts = counted->attempts;
            row.wins = counted->wins;
        }
        rows_.push_back(row);
        medals_.push_back(won_medal);
    }
}

const level_set_entry* list_screen::entry_of(const quillomar_game& game, std::size_t i) const {
    if (i < game.levels().size()) {
        return &game.levels()[i];
    }
    return i >= own_first_ && i - own_first_ < own_.size() ? &own_[i - own_first_] : nullptr;
}

std::string list_screen::key_of(const quillomar_game& game, std::size_t i) const {
    if (i < game.level_keys().size()) {
        return game.level_keys()[i];
    }
    return i >= own_first_ && i - own_first_ < own_keys_.size() ? own_keys_[i - own_first_]
                                                                 : std::string();
}

void list_screen::add_generated_rows(const std::string& records_folder) {
    random_seed_ = random_level_seed();
    day_seed_ = level_of_the_day_seed();
    records_store records(records_folder);
    records.load();
    medal_store medals(records_folder);
    medals.load();
    assisted_store assisted(records_folder);
    assisted.load();
    // Each generated level by the title its seed gives; the seed itself is in the note.
    for (const auto& [title, seed] :
         {std::pair{tr("Random level") + ": " + title_for_seed(random_seed_), random_seed_},
          std::pair{tr("Level of the day") + ": " + title_for_seed(day_seed_), day_seed_}}) {
        level_list_row row{title, true, std::nullopt};
        const std::string key =
            records_folder.empty()
                ? std::string()
                : level_key_of_file(generated_level_path(records_folder, seed));
        row.assisted = !key.empty() && assisted.keys().count(key) > 0;
        std::string medal;
        if (const level_record* best = key.empty() ? nullptr : records.find(key)) {
            row.best_seconds = best->best_time_seconds;
            const medal_times* times = medals.find(key);
            medal = times != nullptr ? medal_name(medal_for(*times, *row.best_seconds)) : "";
        }
        rows_.push_back(row);
        medals_.push_back(medal);
    }
}

std::optional<level_cell> list_screen::practice_cell(const quillomar_game& game) const {
    const level_set_entry* entry = entry_of(game, choice_);
    const std::string key = key_of(game, choice_);
    if (entry == nullptr || key.empty()) {
        return std::nullopt;
    }
    const level_statistics* counted = const_cast<quillomar_game&>(game).statistics().find(key);
    if (counted == nullptr || counted->reached.empty()) {
        return std::nullopt;
    }
    if (cells_for_ != choice_) {
        // Only cells with a cube of their own: a ball dropped anywhere else falls at once.
        level lvl;
        std::vector<std::string> quiet;
        cells_.clear();
        route_.clear();
        if (lvl.read_file(entry->path, &quiet)) {
            cells_ = practice_cells(lvl, *counted);
            route_ = route_cells(lvl);
            level_ = lvl;
        }
        cells_for_ = choice_;
    }
    if (cells_.empty()) {
        return std::nullopt;
    }
    return cells_[cell_choice_ % cells_.size()];
}

void list_screen::choose(quillomar_game& game) {
    const level_set& set = game.levels();
    if (!rows_[choice_].unlocked) {
        // The level before a locked one is the one to win.
        note_ = choice_ > 0
                    ? fill_in(tr("Locked: win %1 to open it"), tr(rows_[choice_ - 1].title))
                    : tr("Locked");
        return;
    }
    if (const level_set_entry* entry = entry_of(game, choice_)) {
        game.play_level(entry->path, game.from_menu());
    } else {
        game.play_generated(choice_ == set.size() ? random_seed_ : day_seed_, game.from_menu());
    }
}

void list_screen::step(quillomar_game& game) {
    key_input& keys = *game.keys();
    const int up = keys.take(window_action::list_up);
    const int down = keys.take(window_action::list_down);
    int confirm = keys.take(window_action::confirm) + keys.take(window_action::pad_start) +
                  keys.take(window_action::menu_accept);
    const list_pointer pointer = take_list_pointer(keys, layout(game));
    pointer_x_ = pointer.x;
    pointer_y_ = pointer.y;
    const int practice = keys.take(window_action::practice);
    const int left = keys.take(window_action::left) + keys.take(window_action::menu_left);
    const int right = keys.take(window_action::right) + keys.take(window_action::menu_right);
    if (keys.take(window_action::paste_code) > 0) {
        note_ = game.paste_from_clipboard();
        if (&game.top() != this) {
            return;
        }
    }
    if (keys.take(window_action::copy_code) > 0 && choice_ < game.levels().size()) {
        note_ = game.copy_level_file_code(game.levels()[choice_].path);
    }
    if (keys.take(window_action::level_list) % 2 == 1 || keys.take(window_action::menu_back) > 0) {
        game.pop();
        return;
    }
    if (rows_.empty()) {
        return;
    }
    if (up + down > 0) {
        const long last = static_cast<long>(rows_.size()) - 1;
        choice_ = static_cast<std::size_t>(
            std::clamp(static_cast<long>(choice_) - up + down, 0L, last));
        cell_choice_ = 0;
        note_.clear();
    }
    if (pointer.clicked) {
        // The heading over the player's levels is no row of its own.
        const bool below_heading = !own_.empty() && *pointer.clicked > own_first_;
        choice_ = std::min(*pointer.clicked - (below_heading ? 1 : 0), rows_.size() - 1);
        cell_choice_ = 0;
        note_.clear();
        ++confirm;
    }
    cell_choice_ = static_cast<std::size_t>(
        std::max(0L, static_cast<long>(cell_choice_) + right - left));
    const std::optional<level_cell> cell = practice_cell(game);
    if (practice > 0 && cell && rows_[choice_].unlocked) {
        game.practice_at_cell(entry_of(game, choice_)->path, *cell);
        return;
    }
    if (confirm > 0) {
        choose(game);
    }
}

void list_screen::draw(quillomar_game& game) {
    draw_under(game, hud_lines(game));
}

void list_screen::draw_under(quillomar_game& game, const std::vector<hud_line>& lines) {
    game.draw_below(*this, lines);
}

void list_screen::escape(quillomar_game& game) {
    game.pop();
}

std::vector<hud_line> list_screen::hud_lines(const quillomar_game& game) const {
    return layout(game).lines;
}

menu_layout list_screen::layout(const quillomar_game& game) const {
    quillomar_game& g = const_cast<quillomar_game&>(game);
    const std::string list_key =
        g.keys() ? g.keys()->bound_key_name(window_action::level_list) : "Tab";
    // The list is a page of the menus' own layout: the levels as rows, their best time, medal
    // and wins as the value beside each, the keys and the practice cell in the note.
    menu_page page{medal_count_ > 0 ? fill_in(tr("Levels - medals: %1"), std::to_string(medal_count_))
                                    : tr("Levels"),
                   {}};
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const level_list_row& row = rows_[i];
        std::string status = !row.unlocked      ? tr("locked")
                             : row.best_seconds ? format_run_time(*row.best_seconds)
                             : row.assisted     ? tr("won with assist")
                                                : std::string("-");
        const std::string medal = i < medals_.size() ? medals_[i] : std::string();
        if (row.unlocked && !medal.empty()) {
            status += " " + tr(medal);
        }
        if (row.attempts > 0) {
            status += fill_in(tr(", won %1"), std::to_string(row.wins) + "/" + std::to_string(row.attempts));
        }
        if (i == own_first_ && !own_.empty()) {
            page.entries.push_back({tr(own_heading), menu_action::none, -1, {}, 0, "", ""});
        }
        page.entries.push_back({tr(row.title), menu_action::none, -1, {status}, 0, "", ""});
    }
    const bool headed = !own_.empty();
    menu shown({page});
    shown.point_at(choice_ + (headed && choice_ >= own_first_ ? 1 : 0));
    const hud_frame frame = g.text_frame();
    menu_screen screen = page_screen(frame, pointer_x_, pointer_y_);
    screen.note = note_;
    if (screen.note.empty()) {
        screen.note = fill_in(tr("Enter plays, %1 or Escape goes back"), list_key);
        if (const std::optional<level_cell> cell = practice_cell(game)) {
            // The place first: where a small window cuts the note, the keys give way.
            screen.note = tr("P: practice from") + " " + name_of_cell(level_, route_, *cell) +
                          " (" + tr("Left/Right: another place") + "). " + screen.note;
        }
        // The two generated levels follow the set's.
        if (choice_ == game.levels().size() || choice_ == game.levels().size() + 1) {
            const std::uint64_t seed = choice_ == game.levels().size() ? random_seed_ : day_seed_;
            screen.note = tr("Seed") + " " + std::to_string(seed) + ". " + screen.note;
        }
    }
    menu_layout laid = lay_out_menu(shown, screen, frame.metrics);
    if (headed) {
        // The heading stands out as a page's title does, in the middle, and no click picks it.
        for (auto row = laid.rows.begin(); row != laid.rows.end(); ++row) {
            if (row->entry != own_first_) {
                continue;
            }
            for (hud_line& line : laid.lines) {
                if (line.text == tr(own_heading) && line.y_pixels >= row->top &&
                    line.y_pixels <= row->bottom) {
                    line.tone = hud_tone::title;
                    line.x_pixels = static_cast<int>(std::lround(
                        -text_width(frame.metrics, line.text, line.scale * frame.text_scale) /
                        2.0f));
                }
            }
            laid.rows.erase(row);
            break;
        }
    }
    return laid;
}

}  // namespace quillomar
