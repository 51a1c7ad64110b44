#include "shell/editor_list_screen.h"

#include <algorithm>

#include "authoring/own_levels.h"
#include "framework/asset_paths.h"
#include "framework/bounded_read.h"
#include "framework/key_map.h"
#include "game/level_set.h"
#include "level/level_limits.h"
#include "records/records_store.h"
#include "shell/quillomar_game.h"

namespace quillomar {
namespace {

// The file name of a game path, without its folder and ".txt".
std::string stem_of(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0) {
        name.resize(name.size() - 4);
    }
    return name;
}

}  // namespace

void editor_list_screen::enter(quillomar_game& game, bool returning) {
    // Coming back from the editor the list is read again: a new level may have been saved.
    folder_ = own_levels_folder(default_records_folder());
    rows_ = {{row::kind::new_level, "New level...", ""}};
    for (const std::string& name : own_level_names(folder_)) {
        rows_.push_back({row::kind::own, name, folder_ + "/" + name});
    }
    for (const level_set_entry& entry : game.levels()) {
        rows_.push_back({row::kind::copy, "Copy of " + entry.title, entry.path});
    }
    if (!returning) {
        choice_ = 0;
        note_.clear();
    }
    choice_ = std::min(choice_, rows_.size() - 1);
    naming_ = false;
}

void editor_list_screen::choose(quillomar_game& game) {
    const row chosen = rows_[choice_];
    note_.clear();
    switch (chosen.what) {
        case row::kind::new_level:
            naming_ = true;
            typed_.clear();
            if (game.keys() != nullptr) {
                game.keys()->take_typed();
                game.keys()->take(window_action::confirm);
            }
            return;
        case row::kind::own:
            game.open_editor(chosen.path);
            return;
        case row::kind::copy: {
            std::string text;
            const std::string source = platform_path(chosen.path);
            const bounded_read read = read_bounded(source, max_level_file_bytes, text);
            if (!read.ok() || read.truncated) {
                note_ = "Cannot read " + chosen.path;
                return;
            }
            const std::string path = write_own_level(
                folder_, own_level_file_name("copy of " + stem_of(chosen.path)), text, &note_);
            if (!path.empty()) {
                game.open_editor(path);
            }
            return;
        }
    }
}

void editor_list_screen::name_typed(quillomar_game& game) {
    const std::string file_name = own_level_file_name(typed_);
    if (file_name.empty()) {
        note_ = "A name needs a letter or a digit";
        return;
    }
    if (!make_own_levels_folder(folder_, &note_)) {
        naming_ = false;
        return;
    }
    naming_ = false;
    // The file is made by the editor's first save: a level left unsaved leaves nothing behind.
    game.open_editor(folder_ + "/" + free_level_name(folder_, file_name));
}

void editor_list_screen::step(quillomar_game& game) {
    key_input& keys = *game.keys();
    if (naming_) {
        typed_ += keys.take_typed();
        typed_.resize(std::min<std::size_t>(typed_.size(), 60));
        for (int n = keys.take(editor_action::erase_letter); n > 0 && !typed_.empty(); --n) {
            typed_.pop_back();
        }
        const bool done = keys.take(window_action::confirm) > 0;
        keys.drop_editor_presses();
        if (done) {
            name_typed(game);
        }
        return;
    }
    const int up = keys.take(window_action::list_up);
    const int down = keys.take(window_action::list_down);
    const int confirm = keys.take(window_action::confirm) + keys.take(window_action::menu_accept);
    if (keys.take(window_action::menu_back) > 0) {
        game.pop();
        return;
    }
    if (up + down > 0) {
        const long last = static_cast<long>(rows_.size()) - 1;
        choice_ = static_cast<std::size_t>(
            std::clamp(static_cast<long>(choice_) - up + down, 0L, last));
        note_.clear();
    }
    if (confirm > 0) {
        choose(game);
    }
}

void editor_list_screen::draw(quillomar_game& game) {
    draw_under(game, hud_lines(game));
}

void editor_list_screen::draw_under(quillomar_game& game, const std::vector<hud_line>& lines) {
    game.draw_below(*this, lines);
}

void editor_list_screen::escape(quillomar_game& game) {
    if (naming_) {
        naming_ = false;
        return;
    }
    game.pop();
}

std::vector<hud_line> editor_list_screen::hud_lines(const quillomar_game& game) const {
    // Laid out for the window: the rows that fit between the title and the note.
    const float scale = game.height < 600 ? 0.6f : 0.8f;
    const int step = static_cast<int>(40.0f * scale);
    const int left = std::max(-game.width / 2 + 16, -300);
    std::vector<hud_line> lines;
    lines.push_back({"Editor - Enter opens, Esc goes back", false, left, game.height / 8,
                     hud_tone::title, scale});
    lines.push_back({"Your levels: " + (folder_.empty() ? std::string("(no folder)") : folder_),
                     false, left, game.height / 8 + step, hud_tone::dim, scale * 0.75f});
    const int top = game.height / 8 + 5 * step / 2;
    const auto shown = static_cast<std::size_t>(
        std::max(1, (game.height - top - 3 * step) / std::max(step, 1)));
    const std::size_t first = std::min(choice_ - std::min(choice_, shown / 2),
                                       rows_.size() - std::min(rows_.size(), shown));
    const std::size_t end = std::min(rows_.size(), first + shown);
    for (std::size_t i = first; i < end; ++i) {
        std::string text = (i == choice_ ? "> " : "  ") + rows_[i].title;
        if (i == choice_ && naming_) {
            text = "> Name: " + typed_ + "_   (Enter makes it, Esc drops)";
        }
        lines.push_back({text, false, left, top + step * static_cast<int>(i - first),
                         i == choice_ ? hud_tone::chosen : hud_tone::plain, scale});
    }
    if (!note_.empty()) {
        lines.push_back({note_, false, left, game.height - step, hud_tone::behind, scale});
    }
    return lines;
}

}  // namespace quillomar
