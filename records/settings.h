// The player's settings, chosen in the game's menus and kept between games in settings.txt.
// Plain C++: the window, the sound and the keys read these values; nothing here touches them.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/steering.h"

namespace quillomar {

struct settings {
    // Unset until chosen in the menu: config.txt decides the window, and the driver the swap
    // interval, as they did before there were settings.
    std::optional<bool> fullscreen;
    std::optional<int> window_width;
    std::optional<int> window_height;
    std::optional<bool> vsync;
    int multisampling = 4;  // samples per pixel: 0 (off), 2 or 4
    bool shadows = true;
    int music_volume = 100;    // percent
    int effects_volume = 100;  // percent
    int dead_zone = 33;        // percent of a stick's way that counts as not tilted
    // Steering in a game started in the title menu: direct (the heading turns while a turn is
    // held and stops when it is let go) or classic (the heading coasts), how fast a held turn
    // goes (degrees a second), and how far the mouse turns (percent).
    steering steer = steering::direct;
    int turn_speed = default_turn_speed;
    int mouse_sensitivity = 100;
    // Accessibility: the world's pace (percent of real time: 100, 90, 75 or 50), the HUD's text
    // size in a game started in the title menu (100, 150 or 200 percent), and whether the ball's
    // heading arrow and the level's preview are shown.
    int game_speed_percent = 100;
    int text_size_percent = 100;
    bool heading_arrow = true;
    bool level_preview = true;
    // The language of a game started in the title menu: "auto" (the environment's), "en", "de"
    // or "fr".
    std::string language = "auto";
    // The record server ("http://host:port"; empty: none), and whether won runs are sent to it.
    std::string server;
    bool send_runs = false;
    // Keys the player rebound: action name -> key name, both as settings.txt writes them.
    std::map<std::string, std::string> keys;

    bool operator==(const settings& o) const;
};

inline constexpr int min_dead_zone = 5;
inline constexpr int max_dead_zone = 90;
inline constexpr int max_settings_window_side = 8192;
inline constexpr std::size_t max_server_address_chars = 200;
// An address the game may send to: http:// or https://, then printable characters, no blanks.
bool valid_server_address(std::string_view address);
// Lowest first, as every setting's values run: Right raises a value, Left lowers it.
inline constexpr int game_speed_steps[] = {50, 75, 90, 100};
inline constexpr int text_size_steps[] = {100, 150, 200};

// settings.txt, version 1: the header line, then one setting a line, each ending in "\n", only
// those that differ from having no file at all:
//   quillomar-settings 1
//   fullscreen on|off
//   window <width> <height>
//   vsync on|off
//   multisampling 0|2|4
//   shadows on|off
//   music <0..100>
//   effects <0..100>
//   dead-zone <5..90>
//   steering direct|classic
//   turn-speed <60..240>
//   mouse-sensitivity <25..400>
//   game-speed 100|90|75|50
//   text-size 100|150|200
//   heading-arrow on|off
//   level-preview on|off
//   language auto|en|de|fr
//   server <http:// or https:// address, at most 200 characters>
//   send-runs on|off
//   key <action> <key>
// A line that follows none of these forms costs only itself; a later line for the same setting
// replaces an earlier one.
struct settings_text {
    settings values;
    std::vector<std::string> damaged_lines;  // as they stood, without the line end
    std::string why;                         // the first damaged line's fault
};

// Reads back whatever format_settings writes. A text that is no settings file at all (empty, or
// another first line) gives nothing, and the reason in `why`.
std::optional<settings_text> parse_settings(std::string_view text, std::string* why = nullptr);
std::string format_settings(const settings& values);

// $XDG_CONFIG_HOME/quillomar/settings.txt when that is an absolute path, else
// $HOME/.config/quillomar/settings.txt; empty when neither is usable. Takes the values so tests
// need not touch the process's environment.
std::string settings_path(const char* xdg_config_home, const char* home);

// Keeps settings.txt at one path; an empty path keeps nothing.
class settings_file {
public:
    explicit settings_file(std::string path) : path_(std::move(path)) {}

    // The saved settings; the defaults when there is no file. A file that is no settings file
    // (another header, a FIFO, a folder, larger than any settings file) costs one console line
    // naming it, is moved aside and gives the defaults; damaged lines cost one line, are written
    // aside and the good settings saved again. When what is damaged cannot be kept aside this
    // file is never saved, so as not to overwrite it.
    settings load();

    // Writes the settings atomically, making the folder when needed; one line and false when
    // that fails.
    bool save(const settings& values) const;

    const std::string& path() const { return path_; }

private:
    std::string path_;
    bool can_save_ = true;
};

// A key bound to an action, by the names settings.txt uses.
struct key_binding {
    std::string action;
    std::string key;
};

// Binds `key` to `action` in `bound` and keeps it in `values`, unless another action of `bound`
// holds that key: then nothing changes and the refusal for the HUD is returned, "<key> is taken
// by <action's label>" ("A is taken by Turn left"). An action `bound` does not have is refused
// too. Empty on success.
// An action's name as the menus show it: "turn-left" reads "Turn left", "menus" "the menus".
std::string action_label(const std::string& action);

std::string rebind(settings& values, std::vector<key_binding>& bound, const std::string& action,
                   const std::string& key);

}  // namespace quillomar
