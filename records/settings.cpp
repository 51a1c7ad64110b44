#include "records/settings.h"

#include "game/words.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "framework/bounded_read.h"
#include "records/atomic_file.h"
#include "records/set_aside.h"

namespace quillomar {
namespace {

constexpr std::string_view header = "quillomar-settings 1";
// A few hundred bytes in practice; a larger file is not ours.
constexpr std::size_t max_file_bytes = 64 << 10;

void say(const std::string& line) {
    std::cout << line << std::endl;
}

std::vector<std::string_view> fields_of(std::string_view line) {
    std::vector<std::string_view> fields;
    while (!line.empty()) {
        const std::size_t blank = line.find(' ');
        fields.push_back(line.substr(0, blank));
        line = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
    }
    return fields;
}

bool read_number(std::string_view text, int low, int high, int& out) {
    int value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || stop != text.data() + text.size() || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

bool read_switch(std::string_view text, bool& out) {
    if (text != "on" && text != "off") {
        return false;
    }
    out = text == "on";
    return true;
}

// One of the percentages a setting offers, and no other.
template <std::size_t n>
bool read_step(std::string_view text, const int (&steps)[n], int& out) {
    int value = 0;
    if (!read_number(text, 0, 1000, value) ||
        std::find(std::begin(steps), std::end(steps), value) == std::end(steps)) {
        return false;
    }
    out = value;
    return true;
}

// A name of settings.txt: printable, no blank.
bool is_name(std::string_view text) {
    if (text.empty() || text.size() > 32) {
        return false;
    }
    for (const char c : text) {
        if (c <= ' ' || c > '~') {
            return false;
        }
    }
    return true;
}

// Takes one line into `s`; false when it follows no form of the file.
bool read_line(std::string_view line, settings& s) {
    const std::vector<std::string_view> f = fields_of(line);
    if (f.size() == 2) {
        bool on = false;
        int n = 0;
        if ((f[0] == "fullscreen" || f[0] == "vsync") && read_switch(f[1], on)) {
            (f[0] == "fullscreen" ? s.fullscreen : s.vsync) = on;
        } else if (f[0] == "shadows" && read_switch(f[1], on)) {
            s.shadows = on;
        } else if (f[0] == "multisampling" && (f[1] == "0" || f[1] == "2" || f[1] == "4")) {
            s.multisampling = f[1][0] - '0';
        } else if ((f[0] == "music" || f[0] == "effects") && read_number(f[1], 0, 100, n)) {
            (f[0] == "music" ? s.music_volume : s.effects_volume) = n;
        } else if (f[0] == "dead-zone" && read_number(f[1], min_dead_zone, max_dead_zone, n)) {
            s.dead_zone = n;
        } else if (f[0] == "steering" && (f[1] == "direct" || f[1] == "classic")) {
            s.steer = f[1] == "direct" ? steering::direct : steering::classic;
        } else if (f[0] == "turn-speed" && read_number(f[1], min_turn_speed, max_turn_speed, n)) {
            s.turn_speed = n;
        } else if (f[0] == "mouse-sensitivity" &&
                   read_number(f[1], min_mouse_sensitivity, max_mouse_sensitivity, n)) {
            s.mouse_sensitivity = n;
        } else if (f[0] == "game-speed" && read_step(f[1], game_speed_steps, n)) {
            s.game_speed_percent = n;
        } else if (f[0] == "text-size" && read_step(f[1], text_size_steps, n)) {
            s.text_size_percent = n;
        } else if ((f[0] == "heading-arrow" || f[0] == "level-preview") && read_switch(f[1], on)) {
            (f[0] == "heading-arrow" ? s.heading_arrow : s.level_preview) = on;
        } else if (f[0] == "server" && valid_server_address(f[1])) {
            s.server = std::string(f[1]);
        } else if (f[0] == "send-runs" && read_switch(f[1], on)) {
            s.send_runs = on;
        } else if (f[0] == "language" &&
                   (f[1] == "auto" || f[1] == "en" || f[1] == "de" || f[1] == "fr")) {
            s.language = std::string(f[1]);
        } else {
            return false;
        }
        return true;
    }
    if (f.size() == 3 && f[0] == "window") {
        int width = 0;
        int height = 0;
        if (!read_number(f[1], 1, max_settings_window_side, width) ||
            !read_number(f[2], 1, max_settings_window_side, height)) {
            return false;
        }
        s.window_width = width;
        s.window_height = height;
        return true;
    }
    if (f.size() == 3 && f[0] == "key" && is_name(f[1]) && is_name(f[2])) {
        s.keys[std::string(f[1])] = std::string(f[2]);
        return true;
    }
    return false;
}

const char* switch_text(bool on) {
    return on ? "on" : "off";
}

}  // namespace

bool valid_server_address(std::string_view a) {
    const bool scheme = a.substr(0, 7) == "http://" || a.substr(0, 8) == "https://";
    return scheme && a.size() > 8 && a.size() <= max_server_address_chars &&
           std::all_of(a.begin(), a.end(), [](char c) { return c > ' ' && c <= '~'; });
}

bool settings::operator==(const settings& o) const {
    return fullscreen == o.fullscreen && window_width == o.window_width &&
           window_height == o.window_height && vsync == o.vsync &&
           multisampling == o.multisampling && shadows == o.shadows &&
           music_volume == o.music_volume && effects_volume == o.effects_volume &&
           dead_zone == o.dead_zone && steer == o.steer && turn_speed == o.turn_speed &&
           mouse_sensitivity == o.mouse_sensitivity && game_speed_percent == o.game_speed_percent &&
           text_size_percent == o.text_size_percent && heading_arrow == o.heading_arrow &&
           level_preview == o.level_preview && language == o.language && server == o.server &&
           send_runs == o.send_runs && keys == o.keys;
}

std::optional<settings_text> parse_settings(std::string_view text, std::string* why) {
    const std::size_t first_end = text.find('\n');
    if (text.substr(0, first_end) != header) {
        if (why != nullptr) {
            *why = text.empty() ? "it is empty" : "its first line is not \"" + std::string(header) + "\"";
        }
        return std::nullopt;
    }
    settings_text result;
    std::string_view rest =
        first_end == std::string_view::npos ? std::string_view() : text.substr(first_end + 1);
    int number = 1;
    while (!rest.empty()) {
        ++number;
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (end == std::string_view::npos || !read_line(line, result.values)) {
            if (result.why.empty()) {
                result.why = "line " + std::to_string(number) +
                             (end == std::string_view::npos ? " has no line end"
                                                            : " is no setting");
            }
            result.damaged_lines.emplace_back(line);
        }
    }
    return result;
}

std::string format_settings(const settings& s) {
    const settings defaults;
    std::ostringstream out;
    out << header << '\n';
    if (s.fullscreen) {
        out << "fullscreen " << switch_text(*s.fullscreen) << '\n';
    }
    if (s.window_width && s.window_height) {
        out << "window " << *s.window_width << ' ' << *s.window_height << '\n';
    }
    if (s.vsync) {
        out << "vsync " << switch_text(*s.vsync) << '\n';
    }
    if (s.multisampling != defaults.multisampling) {
        out << "multisampling " << s.multisampling << '\n';
    }
    if (s.shadows != defaults.shadows) {
        out << "shadows " << switch_text(s.shadows) << '\n';
    }
    if (s.music_volume != defaults.music_volume) {
        out << "music " << s.music_volume << '\n';
    }
    if (s.effects_volume != defaults.effects_volume) {
        out << "effects " << s.effects_volume << '\n';
    }
    if (s.dead_zone != defaults.dead_zone) {
        out << "dead-zone " << s.dead_zone << '\n';
    }
    if (s.steer != defaults.steer) {
        out << "steering " << (s.steer == steering::direct ? "direct" : "classic") << '\n';
    }
    if (s.turn_speed != defaults.turn_speed) {
        out << "turn-speed " << s.turn_speed << '\n';
    }
    if (s.mouse_sensitivity != defaults.mouse_sensitivity) {
        out << "mouse-sensitivity " << s.mouse_sensitivity << '\n';
    }
    if (s.game_speed_percent != defaults.game_speed_percent) {
        out << "game-speed " << s.game_speed_percent << '\n';
    }
    if (s.text_size_percent != defaults.text_size_percent) {
        out << "text-size " << s.text_size_percent << '\n';
    }
    if (s.heading_arrow != defaults.heading_arrow) {
        out << "heading-arrow " << switch_text(s.heading_arrow) << '\n';
    }
    if (s.level_preview != defaults.level_preview) {
        out << "level-preview " << switch_text(s.level_preview) << '\n';
    }
    if (s.language != defaults.language) {
        out << "language " << s.language << '\n';
    }
    if (!s.server.empty()) {
        out << "server " << s.server << '\n';
    }
    if (s.send_runs) {
        out << "send-runs on\n";
    }
    for (const auto& [action, key] : s.keys) {
        out << "key " << action << ' ' << key << '\n';
    }
    return out.str();
}

std::string settings_path(const char* xdg_config_home, const char* home) {
    // The base directory rules: a relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (xdg_config_home != nullptr && xdg_config_home[0] == '/') {
        return std::string(xdg_config_home) + "/quillomar/settings.txt";
    }
    if (home != nullptr && home[0] != '\0') {
        return std::string(home) + "/.config/quillomar/settings.txt";
    }
    return {};
}

settings settings_file::load() {
    if (path_.empty()) {
        return {};
    }
    std::string text;
    const bounded_read read = read_bounded(path_, max_file_bytes, text);
    if (read.result == bounded_read::outcome::missing) {
        return {};
    }
    std::string why = describe_problem(path_, read, max_file_bytes);
    std::optional<settings_text> parsed;
    if (why.empty()) {
        parsed = parse_settings(text, &why);
        why = parsed ? why : path_ + ": " + why;
    }
    std::string error;
    if (!parsed) {
        const std::string aside = move_aside(path_, &error);
        can_save_ = !aside.empty();
        say(why + (aside.empty() ? "; it is left as it is (" + error + ")"
                                 : "; moved to " + aside) +
            ", and the game starts on the default settings");
        return {};
    }
    if (!parsed->damaged_lines.empty()) {
        const std::string aside = write_aside(path_, parsed->damaged_lines, &error);
        can_save_ = !aside.empty();
        say(path_ + ": " + std::to_string(parsed->damaged_lines.size()) +
            " damaged line(s), the first: " + parsed->why +
            (aside.empty() ? "; ignored (" + error + ")" : "; kept in " + aside));
        save(parsed->values);
    }
    return parsed->values;
}

bool settings_file::save(const settings& values) const {
    if (path_.empty() || !can_save_) {
        return false;
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ignored);
    std::string error;
    if (!write_file_atomically(path_, format_settings(values), &error)) {
        say("could not save " + path_ + ": " + error);
        return false;
    }
    return true;
}

// The labels action_label makes, for the catalogues: the Controls page shows each through tr().
[[maybe_unused]] constexpr const char* action_words[] = {
    tr_later("Forward"), tr_later("Back"), tr_later("Turn left"), tr_later("Turn right"),
    tr_later("Flip heights"), tr_later("Retry"), tr_later("Switch camera"), tr_later("Music on/off"),
    tr_later("Spiders on/off"), tr_later("Frame time"), tr_later("Wire frame"), tr_later("Texture sampling"),
    tr_later("Mip-mapping"), tr_later("Back-face culling"), tr_later("Transparency"),
    tr_later("Free camera left"), tr_later("Free camera right"), tr_later("Free camera up"),
    tr_later("Free camera down"), tr_later("Free camera forward"), tr_later("Free camera back"),
    tr_later("Full screen"), tr_later("Pause"), tr_later("Level list"), tr_later("Ghost on/off"),
    tr_later("Edit level"), tr_later("Theatre"), tr_later("Fall map"), tr_later("Overview (hold)"),
    tr_later("the menus")};

std::string action_label(const std::string& action) {
    // Names that say what the key does where its action's name alone would not.
    static const std::pair<const char*, const char*> named[] = {
        {"menus", "the menus"},          {"restart", "Retry"},
        {"flip", "Flip heights"},        {"camera", "Switch camera"},
        {"music", "Music on/off"},       {"spiders", "Spiders on/off"},
        {"wireframe", "Wire frame"},     {"sampling", "Texture sampling"},
        {"mipmap", "Mip-mapping"},       {"culling", "Back-face culling"},
        {"ghost", "Ghost on/off"},       {"overview", "Overview (hold)"},
    };
    for (const auto& [name, label] : named) {
        if (action == name) {
            return label;
        }
    }
    std::string label = action;
    std::replace(label.begin(), label.end(), '-', ' ');
    if (!label.empty() && label[0] >= 'a' && label[0] <= 'z') {
        label[0] = static_cast<char>(label[0] - 'a' + 'A');
    }
    return label;
}

std::string rebind(settings& values, std::vector<key_binding>& bound, const std::string& action,
                   const std::string& key) {
    key_binding* mine = nullptr;
    for (key_binding& b : bound) {
        if (b.key == key && b.action != action) {
            return fill_in(tr("%1 is taken by %2"), key, tr(action_label(b.action)));
        }
        if (b.action == action) {
            mine = &b;
        }
    }
    if (mine == nullptr) {
        return "there is no action " + action;
    }
    mine->key = key;
    values.keys[action] = key;
    return {};
}

}  // namespace quillomar
