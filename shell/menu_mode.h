// The shell's menu mode: the title menu and the pause menu, and the settings they change. It
// owns the menu being shown, the saved settings and their file, turns the keys, the mouse and a
// gamepad into menu inputs, puts changed settings into force, and says what the menu asks of
// the shell (play, quit, the level list...), which carries it out.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/hud_lines.h"
#include "game/menu.h"
#include "records/settings.h"

struct GLFWwindow;

namespace quillomar {

class frame_renderer;
class key_input;
class sound_engine;
struct window_config;

class menu_mode {
public:
    // What settings act on; any may be null.
    struct targets {
        GLFWwindow* window = nullptr;
        key_input* keys = nullptr;
        sound_engine* sound = nullptr;
        frame_renderer* renderer = nullptr;
    };

    // Reads settings.txt ($XDG_CONFIG_HOME/quillomar) the first time it is asked.
    void load_settings();
    const settings& saved() const { return saved_; }
    // Saves `values` as the settings in force (a setting changed outside the menu pages).
    void keep(const settings& values) {
        load_settings();
        saved_ = values;
        file_.save(saved_);
    }
    // config.txt's window, with what the settings saved over it: the saved settings win.
    void choose_window(window_config& config);
    // Puts every saved setting that a running game can take into force.
    void apply(const targets& t);

    void open_title(const targets& t);
    // The pause menu; `finished`: the menu over a finished run, with Next level first when
    // `has_next`.
    void open_pause(const targets& t, bool finished = false, bool has_next = false);
    void close() { menu_.reset(); }
    // Shows `note` under the page until the next move in the menu.
    void tell(std::string note) { note_ = std::move(note); }
    bool is_open() const { return menu_.has_value(); }
    bool title_shown() const { return is_open() && title_; }
    // The menu shown; null when none is.
    const menu* shown() const { return menu_ ? &*menu_ : nullptr; }

    // One frame of the menu's input. Settings changed are applied and saved here; what is left
    // for the shell is returned ("leave" is already turned into quit or resume).
    menu_action update(const targets& t);

    // One step back, as Escape or a gamepad's B: the page before, or, on the first page, what
    // leaving the menu means (quit for the title menu, resume for the pause menu); none while a
    // key is awaited (Escape then keeps the key).
    menu_action back(const targets& t);

    // Whether an Escape the menu has taken is still held down: it must not end the game.
    bool escape_latched(const key_input& keys);

    // The menu's lines laid out for a window of width x height pixels drawn with the HUD font
    // of `metrics` (frame_renderer::hud_metrics) at the text size in force: its page's title,
    // the rows around the choice with their values, and a note (a refused key, a setting that
    // applies at the next start). See lay_out_menu.
    std::vector<hud_line> hud_lines(int width, int height, const text_metrics& metrics) const;
    // The same for the window size and font the menu saw last (on opening and each update).
    std::vector<hud_line> hud_lines() const;
    // The text size in force: 1 unless the game was started in the title menu.
    float text_scale() const { return text_scale_; }

private:
    void open(bool title, const targets& t);
    settings shown_settings(const targets& t) const;
    std::vector<menu_page> pages(const targets& t) const;
    void handle_mouse(const targets& t, menu_action& action);
    menu_action handle(menu_input input, const targets& t);
    void take_new_key(const targets& t);
    void put_in_force(const targets& t, const std::string& id);
    menu_layout layout(int width, int height, const text_metrics& metrics) const;
    void see_window(const targets& t);

    bool loaded_ = false;
    settings_file file_{""};
    settings saved_;
    // The window as config.txt asked for it, shown where the settings say nothing.
    bool config_fullscreen_ = false;
    int config_width_ = 1024;
    int config_height_ = 768;

    std::optional<menu> menu_;
    bool title_ = false;
    bool finished_ = false;
    bool has_next_ = false;
    std::string waiting_for_key_;  // the action whose new key comes next, or empty
    std::string note_;
    double pointer_x_ = -1.0;
    double pointer_y_ = -1.0;
    bool escape_latch_ = false;
    // The window and font the menu was last shown with, for the mouse and hud_lines().
    int width_ = 1024;
    int height_ = 768;
    text_metrics metrics_;
    // A game started in the title menu takes the text size setting.
    bool title_seen_ = false;
    float text_scale_ = 1.0f;
};

}  // namespace quillomar
