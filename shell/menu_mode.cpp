#include "shell/menu_mode.h"

#include <algorithm>
#include <cstdlib>

#include "framework/game_window.h"
#include "framework/key_map.h"
#include "framework/window_config.h"
#include "game/words.h"
#include "render/frame_renderer.h"
#include "sound/sound_engine.h"

namespace quillomar {
namespace {

// The keys the menus keep: the rows of the Controls page may not take them.
const std::vector<key_binding> menu_keys = {
    {"menus", "Enter"}, {"menus", "KPEnter"}, {"menus", "Escape"}};

constexpr const char* next_start_note = tr_later("Applies at the next start");

}  // namespace

void menu_mode::load_settings() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    file_ = settings_file(settings_path(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
    saved_ = file_.load();
}

void menu_mode::choose_window(window_config& config) {
    config_fullscreen_ = config.fullscreen;
    config_width_ = config.width;
    config_height_ = config.height;
    config.fullscreen = saved_.fullscreen.value_or(config.fullscreen);
    config.width = saved_.window_width.value_or(config.width);
    config.height = saved_.window_height.value_or(config.height);
    config.samples = saved_.multisampling;
}

void menu_mode::apply(const targets& t) {
    for (const char* id :
         {"keys", "dead-zone", "music", "shadows", "fullscreen", "vsync", "text-size"}) {
        put_in_force(t, id);
    }
}

void menu_mode::put_in_force(const targets& t, const std::string& id) {
    const settings& s = saved_;
    if (id == "keys" && t.keys != nullptr) {
        t.keys->bind(default_key_bindings());
        std::vector<key_binding> rebound;
        for (const auto& [action, key] : s.keys) {
            rebound.push_back({action, key});
        }
        t.keys->bind(rebound);
    } else if (id == "dead-zone" && t.keys != nullptr) {
        t.keys->set_dead_zone(static_cast<float>(s.dead_zone) / 100.0f);
    } else if ((id == "music" || id == "effects") && t.sound != nullptr) {
        t.sound->set_gains(static_cast<float>(s.music_volume) / 100.0f,
                           static_cast<float>(s.effects_volume) / 100.0f);
    } else if (id == "shadows" && t.renderer != nullptr) {
        t.renderer->shadows = s.shadows;
    } else if (id == "fullscreen" && s.fullscreen && t.window != nullptr) {
        set_full_screen(t.window, *s.fullscreen);
    } else if (id == "vsync" && s.vsync && t.window != nullptr) {
        set_vsync(*s.vsync);
    } else if (id == "text-size") {
        text_scale_ = title_seen_ ? static_cast<float>(s.text_size_percent) / 100.0f : 1.0f;
        if (t.renderer != nullptr) {
            t.renderer->text_scale = text_scale_;
            t.renderer->fit_text = title_seen_;
        }
    } else if (id == "language" && title_seen_) {
        // Only a game started in the title menu speaks the player's language; its pages are
        // made again in it.
        use_language(s.language);
        if (menu_) {
            menu_->replace_pages(pages(t));
        }
    } else if (id == "window" || id == "multisampling") {
        // The window is made with these: they take effect when it is made again.
        note_ = tr(next_start_note);
    }
}

settings menu_mode::shown_settings(const targets& t) const {
    settings shown = saved_;
    shown.fullscreen = t.window != nullptr ? is_full_screen(t.window)
                                           : saved_.fullscreen.value_or(config_fullscreen_);
    shown.window_width = saved_.window_width.value_or(config_width_);
    shown.window_height = saved_.window_height.value_or(config_height_);
    return shown;
}

std::vector<menu_page> menu_mode::pages(const targets& t) const {
    const std::vector<key_binding> bound =
        t.keys != nullptr ? t.keys->bindings() : default_key_bindings();
    std::vector<menu_page> shown =
        title_      ? title_menu_pages(shown_settings(t), bound)
        : finished_ ? finished_menu_pages(shown_settings(t), bound, has_next_)
                    : pause_menu_pages(shown_settings(t), bound);
    if (window_sized_by_page()) {
        // The page sizes the canvas and paces the frames; only full screen is the player's.
        for (menu_page& page : shown) {
            auto& entries = page.entries;
            entries.erase(std::remove_if(entries.begin(), entries.end(),
                                         [](const menu_entry& e) {
                                             return e.id == "window" || e.id == "vsync";
                                         }),
                          entries.end());
        }
    }
    return shown;
}

void menu_mode::see_window(const targets& t) {
    if (t.keys != nullptr) {
        t.keys->window_size(width_, height_);
    }
    if (t.renderer != nullptr) {
        metrics_ = t.renderer->hud_metrics();
    }
}

void menu_mode::open(bool title, const targets& t) {
    title_ = title;
    if (title && !title_seen_) {
        title_seen_ = true;
        put_in_force(t, "text-size");
        put_in_force(t, "language");
    }
    see_window(t);
    menu_.emplace(pages(t));
    waiting_for_key_.clear();
    note_.clear();
    if (t.keys != nullptr) {
        // Presses made before the menu opened are not meant for it.
        for (int a = 0; a < window_action_count; ++a) {
            t.keys->take(static_cast<window_action>(a));
        }
        t.keys->take_clicks();
        t.keys->cursor(pointer_x_, pointer_y_);
    }
}

void menu_mode::open_title(const targets& t) {
    open(true, t);
}

void menu_mode::open_pause(const targets& t, bool finished, bool has_next) {
    finished_ = finished;
    has_next_ = has_next;
    open(false, t);
}

menu_action menu_mode::update(const targets& t) {
    if (!menu_ || t.keys == nullptr) {
        return menu_action::none;
    }
    key_input& keys = *t.keys;
    see_window(t);
    if (!waiting_for_key_.empty()) {
        take_new_key(t);
        return menu_action::none;
    }
    for (const window_action drained : {window_action::level_list, window_action::ghost}) {
        keys.take(drained);
    }
    for (int n = keys.take(window_action::full_screen); n > 0; --n) {
        toggle_full_screen(t.window);
    }
    static const std::vector<window_action> menu_keys = {
        window_action::list_up,   window_action::list_down,   window_action::menu_left,
        window_action::menu_right, window_action::confirm,    window_action::menu_accept,
        window_action::pad_start, window_action::quit,        window_action::menu_back};
    menu_action action = menu_action::none;
    // The Pause key closes the pause menu as it opened it.
    if (keys.take(window_action::pause) > 0 && !title_) {
        action = menu_action::resume;
    }
    // The presses in the order they came, until one does something beyond the page: those after
    // it are for what it opens ("Down Enter Up" typed in one slow frame opens the levels, then
    // moves in their list).
    while (action == menu_action::none && menu_ && waiting_for_key_.empty()) {
        const std::optional<window_action> pressed = keys.take_first_of(menu_keys);
        if (!pressed) {
            break;
        }
        const window_action a = *pressed;
        escape_latch_ = escape_latch_ || a == window_action::quit;
        action = handle(a == window_action::list_up     ? menu_input::up
                        : a == window_action::list_down  ? menu_input::down
                        : a == window_action::menu_left  ? menu_input::left
                        : a == window_action::menu_right ? menu_input::right
                        : a == window_action::quit || a == window_action::menu_back
                            ? menu_input::back
                            : menu_input::confirm,
                        t);
    }
    handle_mouse(t, action);
    if (action == menu_action::none && menu_ && !waiting_for_key_.empty()) {
        keys.take_key();  // the key that asked for a new key is not the new key
    }
    return action;
}

menu_action menu_mode::back(const targets& t) {
    if (!menu_ || !waiting_for_key_.empty()) {
        return menu_action::none;
    }
    return handle(menu_input::back, t);
}

void menu_mode::handle_mouse(const targets& t, menu_action& action) {
    double x = 0.0;
    double y = 0.0;
    t.keys->cursor(x, y);
    const int clicks = t.keys->take_clicks();
    pointer_x_ = x;
    pointer_y_ = y;
    // Moving only highlights the row under the pointer (hud_lines reads the pointer); a click
    // chooses that row and confirms it.
    if (!menu_ || clicks == 0) {
        return;
    }
    const std::optional<std::size_t> row = entry_at(layout(width_, height_, metrics_), x, y);
    if (!row || !menu_->point_at(*row)) {
        return;
    }
    if (action == menu_action::none) {
        action = handle(menu_input::confirm, t);
    }
}

menu_action menu_mode::handle(menu_input input, const targets& t) {
    const menu_action action = menu_->handle(input);
    const menu_entry& e = menu_->chosen();
    switch (action) {
        case menu_action::leave:
            return title_ ? menu_action::quit : menu_action::resume;
        case menu_action::changed:
            apply_entry(saved_, e);
            file_.save(saved_);
            note_.clear();
            put_in_force(t, e.id);
            return menu_action::none;
        case menu_action::rebind:
            waiting_for_key_ = e.id.substr(e.id.find(':') + 1);
            note_ = fill_in(tr("Press a key for %1 (Escape keeps it)"), e.label);
            return menu_action::none;
        case menu_action::reset_keys:
            saved_.keys.clear();
            file_.save(saved_);
            put_in_force(t, "keys");
            menu_->replace_pages(pages(t));
            note_ = tr("Keys reset to their defaults");
            return menu_action::none;
        default:
            note_.clear();
            return action;
    }
}

void menu_mode::take_new_key(const targets& t) {
    key_input& keys = *t.keys;
    const int key = keys.take_key();
    // While a key is awaited, nothing else of the menu moves.
    for (int a = 0; a < window_action_count; ++a) {
        const int presses = keys.take(static_cast<window_action>(a));
        escape_latch_ = escape_latch_ || (presses > 0 && a == static_cast<int>(window_action::quit));
    }
    keys.take_clicks();
    if (key < 0) {
        return;
    }
    const std::string action = waiting_for_key_;
    waiting_for_key_.clear();
    const std::string name = key_name(key);
    if (name == "Escape") {
        note_.clear();
        return;
    }
    if (name.empty()) {
        note_ = tr("That key cannot be bound");
        return;
    }
    std::vector<key_binding> bound = keys.bindings();
    bound.insert(bound.end(), menu_keys.begin(), menu_keys.end());
    const std::string refusal = rebind(saved_, bound, action, name);
    if (!refusal.empty()) {
        note_ = refusal;
        return;
    }
    note_.clear();
    file_.save(saved_);
    keys.bind({{action, name}});
    if (menu_entry* e = menu_->find("key:" + action)) {
        e->values = {name};
    }
}

bool menu_mode::escape_latched(const key_input& keys) {
    escape_latch_ = escape_latch_ && keys.held(window_action::quit);
    return escape_latch_;
}

menu_layout menu_mode::layout(int width, int height, const text_metrics& metrics) const {
    menu_screen screen;
    screen.width = width;
    screen.height = height;
    screen.text_scale = text_scale_;
    screen.pointer_x = pointer_x_;
    screen.pointer_y = pointer_y_;
    screen.big_title = title_ && menu_->page_index() == 0;
    screen.waiting_for_key = !waiting_for_key_.empty();
    screen.note = note_.empty() ? menu_->chosen().help : note_;
    return lay_out_menu(*menu_, screen, metrics);
}

std::vector<hud_line> menu_mode::hud_lines() const {
    return hud_lines(width_, height_, metrics_);
}

std::vector<hud_line> menu_mode::hud_lines(int width, int height,
                                           const text_metrics& metrics) const {
    return menu_ ? layout(width, height, metrics).lines : std::vector<hud_line>{};
}

}  // namespace quillomar
