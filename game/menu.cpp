#include "game/menu.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "game/words.h"

namespace quillomar {
namespace {

constexpr std::size_t first_settings_page = 1;

menu_entry opens(const std::string& label, std::size_t page) {
    menu_entry e;
    e.label = label;
    e.opens = static_cast<int>(page);
    return e;
}

menu_entry asks(const std::string& label, menu_action action) {
    menu_entry e;
    e.label = label;
    e.action = action;
    return e;
}

menu_entry switch_entry(const std::string& label, const std::string& id, bool on) {
    menu_entry e;
    e.label = label;
    e.id = id;
    e.values = {tr("off"), tr("on")};
    e.value = on ? 1 : 0;
    return e;
}

// Percent steps from `low` to 100 by `step`, with `current` among them even off the steps.
menu_entry percent_entry(const std::string& label, const std::string& id, int low, int high,
                         int step, int current) {
    std::vector<int> steps;
    for (int p = low; p <= high; p += step) {
        steps.push_back(p);
    }
    if (std::find(steps.begin(), steps.end(), current) == steps.end()) {
        steps.insert(std::upper_bound(steps.begin(), steps.end(), current), current);
    }
    menu_entry e;
    e.label = label;
    e.id = id;
    for (const int p : steps) {
        if (p == current) {
            e.value = e.values.size();
        }
        e.values.push_back(std::to_string(p) + "%");
    }
    return e;
}

std::string size_text(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// The common window sizes, the one in force among them.
menu_entry window_entry(int width, int height) {
    const std::pair<int, int> sizes[] = {{800, 600},   {1024, 768}, {1280, 720},
                                         {1280, 1024}, {1600, 900}, {1920, 1080}};
    menu_entry e;
    e.label = tr("Window size");
    e.id = "window";
    for (const auto& [w, h] : sizes) {
        e.values.push_back(size_text(w, h));
    }
    const std::string current = size_text(width, height);
    const auto found = std::find(e.values.begin(), e.values.end(), current);
    e.value = static_cast<std::size_t>(found - e.values.begin());
    if (found == e.values.end()) {
        e.values.push_back(current);
    }
    return e;
}

// Which Controls page a key's row is on.
enum class key_group { play, free_camera, display_switch };

key_group key_group_of(const std::string& action) {
    if (action.rfind("free-camera-", 0) == 0) {
        return key_group::free_camera;
    }
    for (const char* shown : {"frame-time", "wireframe", "sampling", "mipmap", "culling",
                              "transparency"}) {
        if (action == shown) {
            return key_group::display_switch;
        }
    }
    return key_group::play;
}

// The language the player's words are in: the environment's, or one chosen. Each language is
// named in itself.
menu_entry language_entry(const std::string& code) {
    menu_entry e;
    e.label = tr("Language");
    e.id = "language";
    e.values = {tr("Automatic"), "English", "Deutsch", "Fran\u00e7ais"};
    for (std::size_t i = 0; i < 3; ++i) {
        if (code == language_codes[i]) {
            e.value = i + 1;
        }
    }
    return e;
}

menu_entry back_entry() {
    return asks(tr("Back"), menu_action::leave);
}

// One of a setting's few percentages; a value off the steps shows the first.
template <std::size_t n>
menu_entry steps_entry(const std::string& label, const std::string& id, const int (&steps)[n],
                       int current) {
    menu_entry e;
    e.label = label;
    e.id = id;
    for (const int p : steps) {
        if (p == current) {
            e.value = e.values.size();
        }
        e.values.push_back(std::to_string(p) + "%");
    }
    return e;
}

// The settings pages, from `first` on: the list of kinds, then display, sound, controls,
// accessibility, and the pages under controls: steering, the free camera, the display switches.
void add_settings_pages(std::vector<menu_page>& pages, const settings& s,
                        const std::vector<key_binding>& bound) {
    const std::size_t first = pages.size();
    pages.push_back({tr("Settings"),
                     {opens(tr("Display"), first + 1), opens(tr("Sound"), first + 2),
                      opens(tr("Controls"), first + 3), opens(tr("Accessibility"), first + 4),
                      language_entry(s.language), back_entry()}});
    menu_entry samples;
    samples.label = tr("Multisampling");
    samples.id = "multisampling";
    samples.values = {tr("off"), "2x", "4x"};
    samples.value = static_cast<std::size_t>(std::clamp(s.multisampling / 2, 0, 2));
    pages.push_back({tr("Display"),
                     {switch_entry(tr("Fullscreen"), "fullscreen", s.fullscreen.value_or(false)),
                      window_entry(s.window_width.value_or(0), s.window_height.value_or(0)),
                      samples, switch_entry(tr("Vsync"), "vsync", s.vsync.value_or(false)),
                      switch_entry(tr("Shadows"), "shadows", s.shadows), back_entry()}});
    pages.push_back({tr("Sound"),
                     {percent_entry(tr("Music volume"), "music", 0, 100, 10, s.music_volume),
                      percent_entry(tr("Effects volume"), "effects", 0, 100, 10, s.effects_volume),
                      back_entry()}});
    // The keys of play first; the free camera's and the display switches' keys, which only
    // look at the game another way, each on a page of their own at the end.
    menu_page controls{tr("Controls"), {}};
    menu_page free_camera{tr("Free camera"), {}};
    menu_page switches{tr("Display switches"), {}};
    for (const key_binding& b : bound) {
        menu_entry key = asks(tr(action_label(b.action)), menu_action::rebind);
        key.id = "key:" + b.action;
        key.values = {b.key};
        const key_group group = key_group_of(b.action);
        (group == key_group::play          ? controls
         : group == key_group::free_camera ? free_camera
                                           : switches)
            .entries.push_back(key);
    }
    controls.entries.push_back(opens(tr("Steering"), first + 5));
    controls.entries.push_back(percent_entry(tr("Stick dead zone"), "dead-zone", min_dead_zone,
                                             max_dead_zone, 5, s.dead_zone));
    controls.entries.push_back(opens(tr("Free camera"), first + 6));
    controls.entries.push_back(opens(tr("Display switches"), first + 7));
    controls.entries.push_back(asks(tr("Reset to defaults"), menu_action::reset_keys));
    controls.entries.push_back(back_entry());
    free_camera.entries.push_back(back_entry());
    switches.entries.push_back(back_entry());
    pages.push_back(controls);
    pages.push_back(
        {tr("Accessibility"),
         {steps_entry(tr("Game speed"), "game-speed", game_speed_steps, s.game_speed_percent),
          steps_entry(tr("Text size"), "text-size", text_size_steps, s.text_size_percent),
          switch_entry(tr("Heading arrow"), "heading-arrow", s.heading_arrow),
          switch_entry(tr("Level preview"), "level-preview", s.level_preview), back_entry()}});
    menu_entry how;
    how.label = tr("Steering");
    how.id = "steering";
    how.values = {tr("Direct"), tr("Classic")};
    how.value = s.steer == steering::direct ? 0 : 1;
    how.help = tr("Direct: turns while held, stops when let go. Classic: the turn coasts on.");
    menu_entry speed;
    speed.label = tr("Turn speed");
    speed.id = "turn-speed";
    speed.help = tr("How fast a held turn key or stick turns the ball's heading");
    for (int d = min_turn_speed; d <= max_turn_speed; d += turn_speed_step) {
        if (d == s.turn_speed || (d < s.turn_speed && d + turn_speed_step > s.turn_speed)) {
            speed.value = speed.values.size() + (d == s.turn_speed ? 0 : 1);
        }
        speed.values.push_back(std::to_string(d) + tr(" deg/s"));
        if (d < s.turn_speed && d + turn_speed_step > s.turn_speed) {
            speed.values.push_back(std::to_string(s.turn_speed) + tr(" deg/s"));
        }
    }
    const int sensitivities[] = {25, 50, 75, 100, 150, 200, 300, 400};
    menu_entry mouse = steps_entry(tr("Mouse sensitivity"), "mouse-sensitivity", sensitivities,
                                   s.mouse_sensitivity);
    mouse.help = tr("How far moving the mouse sideways turns the heading in play");
    pages.push_back({tr("Steering"), {how, speed, mouse, back_entry()}});
    pages.push_back(free_camera);
    pages.push_back(switches);
}

}  // namespace

menu::menu(std::vector<menu_page> pages) : pages_(std::move(pages)) {}

menu_action menu::handle(menu_input input) {
    menu_entry& e = pages_[page_].entries[choice_];
    const std::size_t count = pages_[page_].entries.size();
    switch (input) {
        case menu_input::up:
            choice_ = (choice_ + count - 1) % count;
            return menu_action::none;
        case menu_input::down:
            choice_ = (choice_ + 1) % count;
            return menu_action::none;
        case menu_input::left:
        case menu_input::right: {
            // A key's one value is the key itself: stepping does not change it.
            if (e.values.size() < 2) {
                return menu_action::none;
            }
            const std::size_t before = e.value;
            e.value = input == menu_input::left ? (e.value > 0 ? e.value - 1 : 0)
                                                : std::min(e.value + 1, e.values.size() - 1);
            return e.value == before ? menu_action::none : menu_action::changed;
        }
        case menu_input::confirm:
            if (e.opens >= 0) {
                trail_.push_back({page_, choice_});
                page_ = static_cast<std::size_t>(e.opens);
                choice_ = 0;
                return menu_action::none;
            }
            if (e.action == menu_action::leave) {
                return handle(menu_input::back);
            }
            if (e.action == menu_action::none && e.values.size() > 1) {
                e.value = (e.value + 1) % e.values.size();
                return menu_action::changed;
            }
            return e.action;
        case menu_input::back:
            if (trail_.empty()) {
                return menu_action::leave;
            }
            page_ = trail_.back().page;
            choice_ = trail_.back().choice;
            trail_.pop_back();
            return menu_action::none;
    }
    return menu_action::none;
}

bool menu::point_at(std::size_t row) {
    if (row >= pages_[page_].entries.size()) {
        return false;
    }
    choice_ = row;
    return true;
}

menu_entry* menu::find(const std::string& id) {
    for (menu_page& p : pages_) {
        for (menu_entry& e : p.entries) {
            if (e.id == id) {
                return &e;
            }
        }
    }
    return nullptr;
}

void menu::replace_pages(std::vector<menu_page> pages) {
    pages_ = std::move(pages);
    choice_ = std::min(choice_, pages_[page_].entries.size() - 1);
}

std::vector<menu_page> title_menu_pages(const settings& shown,
                                        const std::vector<key_binding>& bound) {
    std::vector<menu_page> pages{{"Quillomar",
                                  {asks(tr("Play"), menu_action::play),
                                   asks(tr("Levels"), menu_action::levels),
                                   asks(tr("Random level"), menu_action::random_level),
                                   asks(tr("Level of the day"), menu_action::level_of_the_day),
                                   asks(tr("Editor"), menu_action::editor),
                                   asks(tr("Replays"), menu_action::replays),
                                   asks(tr("Paste a level"), menu_action::paste_level),
                                   asks(tr("Online"), menu_action::online),
                                   opens(tr("Settings"), first_settings_page),
                                   asks(tr("Quit"), menu_action::quit)}}};
    add_settings_pages(pages, shown, bound);
    return pages;
}

std::vector<menu_page> pause_menu_pages(const settings& shown,
                                        const std::vector<key_binding>& bound) {
    // "Paused" is what the HUD has always said while the game stands still.
    std::vector<menu_page> pages{{tr("Paused"),
                                  {asks(tr("Resume"), menu_action::resume),
                                   asks(tr("Retry"), menu_action::restart),
                                   asks(tr("Levels"), menu_action::levels),
                                   opens(tr("Settings"), first_settings_page),
                                   asks(tr("Fall map"), menu_action::fall_map),
                                   asks(tr("Title menu"), menu_action::title),
                                   asks(tr("Quit"), menu_action::quit)}}};
    add_settings_pages(pages, shown, bound);
    return pages;
}

std::vector<menu_page> finished_menu_pages(const settings& shown,
                                           const std::vector<key_binding>& bound, bool has_next) {
    std::vector<menu_page> pages{{tr("Level finished"),
                                  {asks(tr("Retry"), menu_action::restart),
                                   asks(tr("Levels"), menu_action::levels),
                                   opens(tr("Settings"), first_settings_page),
                                   asks(tr("Fall map"), menu_action::fall_map),
                                   asks(tr("Title menu"), menu_action::title),
                                   asks(tr("Quit"), menu_action::quit)}}};
    if (has_next) {
        pages[0].entries.insert(pages[0].entries.begin(),
                                asks(tr("Next level"), menu_action::next_level));
    }
    add_settings_pages(pages, shown, bound);
    return pages;
}

void apply_entry(settings& s, const menu_entry& e) {
    if (e.values.empty()) {
        return;
    }
    // Switches and choices by their place, as their words are the player's language.
    const std::string& text = e.values[e.value];
    const bool on = e.value == 1;
    const int number = std::atoi(text.c_str());
    if (e.id == "fullscreen") {
        s.fullscreen = on;
    } else if (e.id == "vsync") {
        s.vsync = on;
    } else if (e.id == "shadows") {
        s.shadows = on;
    } else if (e.id == "multisampling") {
        s.multisampling = number;
    } else if (e.id == "music") {
        s.music_volume = number;
    } else if (e.id == "effects") {
        s.effects_volume = number;
    } else if (e.id == "dead-zone") {
        s.dead_zone = number;
    } else if (e.id == "steering") {
        s.steer = e.value == 1 ? steering::classic : steering::direct;
    } else if (e.id == "turn-speed") {
        s.turn_speed = number;
    } else if (e.id == "mouse-sensitivity") {
        s.mouse_sensitivity = number;
    } else if (e.id == "game-speed") {
        s.game_speed_percent = number;
    } else if (e.id == "text-size") {
        s.text_size_percent = number;
    } else if (e.id == "heading-arrow") {
        s.heading_arrow = on;
    } else if (e.id == "level-preview") {
        s.level_preview = on;
    } else if (e.id == "language") {
        s.language = e.value == 0 ? "auto" : language_codes[std::min<std::size_t>(e.value - 1, 2)];
    } else if (e.id == "window") {
        int width = 0;
        int height = 0;
        if (std::sscanf(text.c_str(), "%d x %d", &width, &height) == 2) {
            s.window_width = width;
            s.window_height = height;
        }
    }
}

namespace {

// The share of a line's height above its baseline, near enough for the HUD's serif faces.
constexpr float ascent_share = 0.8f;

// Builds a page's lines: sizes are planned at the text size, lines carry their own.
struct line_maker {
    const text_metrics& metrics;
    float text_scale;
    float line_height;
    std::vector<hud_line>& lines;

    float width(const std::string& text, float size) const {
        return text_width(metrics, text, size * text_scale);
    }
    float height(float size) const { return line_height * size * text_scale; }
    // `x` across from the window's centre, `top` the line's top edge.
    std::size_t add(std::string text, float x, float top, hud_tone tone, float size) {
        const float baseline = top + ascent_share * height(size);
        lines.push_back({std::move(text), false, static_cast<int>(std::lround(x)),
                         static_cast<int>(std::lround(baseline)), tone, size});
        return lines.size() - 1;
    }
    std::size_t add_centred(std::string text, float top, hud_tone tone, float size) {
        const float x = -width(text, size) / 2.0f;
        return add(std::move(text), x, top, tone, size);
    }
};

}  // namespace

namespace {

// What a layout had to give up.
struct fit_result {
    bool every_row = true;     // no row is scrolled away
    bool whole_labels = true;  // no label shortened
    std::size_t rows_shown = 0;
};

// The page laid out with its text at `screen.text_scale`.
menu_layout lay_out_at(const menu& m, const menu_screen& screen, const text_metrics& metrics,
                       fit_result& fit) {
    menu_layout out;
    fit = {};
    const menu_page& page = m.page();
    const float s = std::max(0.25f, screen.text_scale);
    const float lh = metrics.line_height > 0.0f ? metrics.line_height : 32.0f;
    const float em = lh * s;
    const auto window_w = static_cast<float>(screen.width);
    const auto window_h = static_cast<float>(screen.height);
    const float margin = std::max(8.0f, std::round(window_w * 0.04f));
    const float content = std::max(1.0f, window_w - 2.0f * margin);
    line_maker make{metrics, s, lh, out.lines};

    // The note, on at most two lines; the rows take the room when there is none.
    constexpr float note_size = 0.7f;
    std::vector<std::string> note = wrap_to_width(metrics, screen.note, note_size * s, content);
    if (note.size() > 2) {
        std::string rest = note[1];
        for (std::size_t i = 2; i < note.size(); ++i) {
            rest += " " + note[i];
        }
        note.resize(2);
        note[1] = shorten_to_width(metrics, rest, note_size * s, content);
    }
    const float note_step = std::ceil(make.height(note_size));
    const float note_top = window_h - std::ceil(0.25f * em) -
                           note_step * static_cast<float>(note.size());

    // The title, as large as asked unless the window is too small for it; a big title gives up
    // some of its size (down to a plain page's) before a row of its page goes.
    const float top = std::round(0.25f * em);
    float title_size = std::min(screen.big_title ? 2.5f : 1.4f,
                                (screen.big_title ? 0.2f : 0.12f) * window_h / em);
    const float row_step = std::ceil(em * 1.05f);
    const float rows_room = note_top - std::round(0.2f * em) - top - 0.25f * em - 1.0f;
    const float wanted = static_cast<float>(page.entries.size()) * row_step;
    if (screen.big_title && rows_room - make.height(title_size) < wanted) {
        const float per_size = make.height(1.0f);
        title_size = std::clamp((rows_room - wanted) / per_size, 1.4f, title_size);
    }
    const float title_w = make.width(page.title, title_size);
    if (title_w > content) {
        title_size *= content / title_w;
    }
    make.add_centred(page.title, top, hud_tone::title, title_size);
    const float rows_top = std::ceil(top + make.height(title_size) + 0.25f * em);
    for (std::size_t i = 0; i < note.size(); ++i) {
        make.add_centred(note[i], note_top + note_step * static_cast<float>(i), hud_tone::plain,
                         note_size);
    }
    const float rows_bottom = note_top - std::round(0.2f * em);

    // As many rows as fit, around the choice; marks above and below when some do not.
    const std::size_t count = page.entries.size();
    const std::size_t choice = m.choice();
    const float step = std::ceil(em * 1.05f);
    const float area = std::max(0.0f, rows_bottom - rows_top);
    std::size_t first = 0;
    std::size_t shown = count;
    constexpr float mark_size = 0.6f;
    float mark_h = 0.0f;
    if (static_cast<float>(count) * step > area) {
        mark_h = std::ceil(make.height(mark_size) * 1.05f);
        shown = static_cast<std::size_t>(std::max(0.0f, area - 2.0f * mark_h) / step);
        shown = std::clamp<std::size_t>(shown, 1, count);
        first = std::min(choice - std::min(choice, shown / 2), count - shown);
        fit.every_row = false;
    }
    fit.rows_shown = shown;
    const float block_h = static_cast<float>(shown) * step + 2.0f * mark_h;
    float y = rows_top + std::max(0.0f, std::round((area - block_h) / 2.0f));
    if (mark_h > 0.0f) {
        if (first > 0) {
            make.add_centred(fill_in(tr("^ %1 more above"), std::to_string(first)), y, hud_tone::dim,
                             mark_size);
        }
        y += mark_h;
    }

    // Columns: the labels, and the values beside them, as wide as the widest of each unless
    // the window is too narrow; then the values, short as they are, keep what they need up to
    // three fifths of the room. Rows with values are marked on the left only.
    bool has_values = false;
    float label_w = 0.0f;
    float value_w = 0.0f;
    for (const menu_entry& e : page.entries) {
        label_w = std::max(label_w, make.width(e.label, 1.0f));
        for (const std::string& v : e.values) {
            has_values = true;
            value_w = std::max(value_w, make.width(v, 1.0f));
        }
    }
    const float gap = has_values ? std::round(0.5f * em) : 0.0f;
    if (has_values) {
        value_w = std::max(value_w, make.width("...", 1.0f));
    }
    const float marker_gap = std::round(0.25f * em);
    const float marker_w = std::max(make.width(">", 1.0f), make.width("<", 1.0f)) + marker_gap;
    const float room = std::max(0.0f, content - (has_values ? 1.0f : 2.0f) * marker_w);
    if (label_w + gap + value_w > room) {
        // The labels (a level's name) keep what they need first; the values, what is left, at
        // least a third of the room.
        value_w = std::min(value_w, std::max(room / 3.0f, room - gap - label_w));
        label_w = std::max(0.0f, room - gap - value_w);
    }
    label_w = has_values ? label_w : std::min(label_w, room);
    const float block_w = label_w + gap + value_w;
    const float left = has_values ? (marker_w - block_w) / 2.0f : -block_w / 2.0f;

    std::vector<std::vector<std::size_t>> row_lines;
    for (std::size_t i = first; i < first + shown; ++i) {
        const menu_entry& e = page.entries[i];
        const bool chosen = i == choice;
        const hud_tone tone = chosen ? hud_tone::chosen : hud_tone::plain;
        const float line_top = y + std::round((step - em) / 2.0f);
        std::vector<std::size_t> made;
        // A label longer than its column may run on over a short value of its own ("-" beside
        // a generated level's name), which then stands at the right end of the row.
        const std::string own_value =
            e.values.empty() ? "" : (chosen && screen.waiting_for_key ? "..." : e.values[e.value]);
        const float own_value_w = std::min(value_w, make.width(own_value, 1.0f));
        const bool runs_on = !e.values.empty() && make.width(e.label, 1.0f) > label_w &&
                             own_value_w < value_w;
        const float label_room =
            e.values.empty() ? block_w : (runs_on ? block_w - gap - own_value_w : label_w);
        const std::string label = shorten_to_width(metrics, e.label, s, label_room);
        const float label_x = has_values ? left : -make.width(label, 1.0f) / 2.0f;
        fit.whole_labels = fit.whole_labels && label == e.label;
        made.push_back(make.add(label, label_x, line_top, tone, 1.0f));
        float right_end = label_x + make.width(label, 1.0f);
        if (!e.values.empty()) {
            const std::string value = shorten_to_width(metrics, own_value, s, value_w);
            const float value_x =
                runs_on ? left + block_w - make.width(value, 1.0f) : left + label_w + gap;
            made.push_back(make.add(value, value_x, line_top, tone, 1.0f));
            right_end = value_x + make.width(value, 1.0f);
        }
        if (chosen) {
            make.add(">", label_x - marker_gap - make.width(">", 1.0f), line_top, tone, 1.0f);
            if (!has_values) {
                make.add("<", right_end + marker_gap, line_top, tone, 1.0f);
            }
        }
        row_lines.push_back(made);
        out.rows.push_back({i, static_cast<int>(margin), static_cast<int>(y),
                            static_cast<int>(window_w - margin), static_cast<int>(y + step)});
        y += step;
    }
    if (mark_h > 0.0f && first + shown < count) {
        make.add_centred(fill_in(tr("v %1 more below"), std::to_string(count - first - shown)), y,
                         hud_tone::dim, mark_size);
    }

    // The row under the pointer stands out, unless it is the chosen one.
    const std::optional<std::size_t> pointed = entry_at(out, screen.pointer_x, screen.pointer_y);
    if (pointed && *pointed != choice) {
        for (const std::size_t line : row_lines[*pointed - first]) {
            out.lines[line].tone = hud_tone::hover;
        }
    }
    return out;
}

}  // namespace

menu_screen page_screen(const hud_frame& frame, double pointer_x, double pointer_y) {
    menu_screen screen;
    screen.width = frame.width;
    screen.height = frame.height;
    screen.text_scale = frame.text_scale;
    screen.pointer_x = pointer_x;
    screen.pointer_y = pointer_y;
    return screen;
}

menu_layout lay_out_menu(const menu& m, const menu_screen& screen, const text_metrics& metrics) {
    // The text as large as asked where the whole page fits; else smaller, down to the HUD's own
    // size, until every row shows and no label is cut. A page too long to show whole even so
    // (the keys, a long level list) keeps the largest text that cuts no label and still shows a
    // handful of rows around the choice, and scrolls.
    const float asked = std::max(0.25f, screen.text_scale);
    const float least = std::min(1.0f, asked);
    menu_screen tried = screen;
    fit_result fit;
    tried.text_scale = least;
    lay_out_at(m, tried, metrics, fit);
    const bool rows_can_fit = fit.every_row;
    float scale = asked;
    menu_layout out;
    for (;; scale = std::max(least, scale - 0.05f)) {
        tried.text_scale = scale;
        out = lay_out_at(m, tried, metrics, fit);
        const bool enough_rows =
            fit.every_row || (!rows_can_fit && fit.rows_shown >= std::min<std::size_t>(
                                                                 5, m.page().entries.size()));
        if ((fit.whole_labels && enough_rows) || scale <= least) {
            break;
        }
    }
    // The renderer draws every line at the text size asked; these are drawn at `scale`.
    for (hud_line& line : out.lines) {
        line.scale *= scale / asked;
    }
    return out;
}

std::optional<std::size_t> entry_at(const menu_layout& layout, double x, double y) {
    for (const menu_row_place& r : layout.rows) {
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) {
            return r.entry;
        }
    }
    return std::nullopt;
}

std::size_t level_to_continue(const std::vector<level_list_row>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].unlocked && !rows[i].best_seconds && !rows[i].assisted) {
            return i;
        }
    }
    return 0;
}

}  // namespace quillomar
