#include "shell/editor_list_screen.h"

#include "game/words.h"

#include <algorithm>

#include "authoring/own_levels.h"
#include "framework/asset_paths.h"
#include "framework/bounded_read.h"
#include "framework/key_map.h"
#include "game/level_set.h"
#include "level/level_limits.h"
#include "records/records_store.h"
#include "shell/list_pointer.h"
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

std::string copy_to_own_levels(const std::string& folder, const std::string& game_path,
                               std::string* note) {
    std::string text;
    const bounded_read read = read_bounded(platform_path(game_path), max_level_file_bytes, text);
    if (!read.ok() || read.truncated) {
        *note = "Cannot read " + game_path;
        return {};
    }
    return write_own_level(folder, own_level_file_name("copy of " + stem_of(game_path)), text,
                           note);
}

void editor_list_screen::enter(quillomar_game& game, bool returning) {
    // Coming back from the editor the list is read again: a new level may have been saved.
    folder_ = own_levels_folder(default_records_folder());
    rows_ = {{row::kind::new_level, tr("New level..."), ""}};
    for (const std::string& name : own_level_names(folder_)) {
        rows_.push_back({row::kind::own, name, folder_ + "/" + name});
    }
    for (const level_set_entry& entry : game.levels()) {
        rows_.push_back({row::kind::copy, fill_in(tr("Copy of %1"), entry.title), entry.path});
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
            const std::string path = copy_to_own_levels(folder_, chosen.path, &note_);
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
        note_ = tr("A name needs a letter or a digit");
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
    int confirm = keys.take(window_action::confirm) + keys.take(window_action::menu_accept);
    const list_pointer pointer = take_list_pointer(keys, layout(game));
    pointer_x_ = pointer.x;
    pointer_y_ = pointer.y;
    if (pointer.clicked) {
        choice_ = *pointer.clicked;
        note_.clear();
        ++confirm;
    }
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
    return layout(game).lines;
}

menu_layout editor_list_screen::layout(const quillomar_game& game) const {
    // A page of the menus' own layout: it fits the window and the text size, and scrolls.
    menu_page page{tr("Editor"), {}};
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        std::string label = rows_[i].title;
        if (i == choice_ && naming_) {
            label = fill_in(tr("Name: %1"), typed_ + "_");
        }
        page.entries.push_back({label, menu_action::none, -1, {}, 0, "", ""});
    }
    menu shown({page});
    shown.point_at(choice_);
    const hud_frame frame = const_cast<quillomar_game&>(game).text_frame();
    menu_screen screen = page_screen(frame, pointer_x_, pointer_y_);
    if (naming_) {
        screen.note = tr("Type the new level's name: Enter makes it, Esc drops it");
    } else if (!note_.empty()) {
        screen.note = note_;
    } else {
        screen.note = fill_in(tr("Enter opens, Esc goes back. Your levels are in %1"),
                              folder_.empty() ? tr("(no folder)") : folder_);
    }
    return lay_out_menu(shown, screen, frame.metrics);
}

}  // namespace quillomar
