#include "game/menu.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

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
    e.values = {"off", "on"};
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
    e.label = "Window size";
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

menu_entry back_entry() {
    return asks("Back", menu_action::leave);
}

// "turn-left" reads "Turn left".
std::string label_of(const std::string& action) {
    std::string label = action;
    std::replace(label.begin(), label.end(), '-', ' ');
    if (!label.empty() && label[0] >= 'a' && label[0] <= 'z') {
        label[0] = static_cast<char>(label[0] - 'a' + 'A');
    }
    return label;
}

// The settings pages, from `first` on: the list of kinds, then display, sound and controls.
void add_settings_pages(std::vector<menu_page>& pages, const settings& s,
                        const std::vector<key_binding>& bound) {
    const std::size_t first = pages.size();
    pages.push_back({"Settings",
                     {opens("Display", first + 1), opens("Sound", first + 2),
                      opens("Controls", first + 3), back_entry()}});
    menu_entry samples;
    samples.label = "Multisampling";
    samples.id = "multisampling";
    samples.values = {"off", "2x", "4x"};
    samples.value = static_cast<std::size_t>(std::clamp(s.multisampling / 2, 0, 2));
    pages.push_back({"Display",
                     {switch_entry("Fullscreen", "fullscreen", s.fullscreen.value_or(false)),
                      window_entry(s.window_width.value_or(0), s.window_height.value_or(0)),
                      samples, switch_entry("Vsync", "vsync", s.vsync.value_or(false)),
                      switch_entry("Shadows", "shadows", s.shadows), back_entry()}});
    pages.push_back({"Sound",
                     {percent_entry("Music volume", "music", 0, 100, 10, s.music_volume),
                      percent_entry("Effects volume", "effects", 0, 100, 10, s.effects_volume),
                      back_entry()}});
    menu_page controls{"Controls",
                       {percent_entry("Stick dead zone", "dead-zone", min_dead_zone,
                                      max_dead_zone, 5, s.dead_zone)}};
    for (const key_binding& b : bound) {
        menu_entry key = asks(label_of(b.action), menu_action::rebind);
        key.id = "key:" + b.action;
        key.values = {b.key};
        controls.entries.push_back(key);
    }
    controls.entries.push_back(asks("Reset to defaults", menu_action::reset_keys));
    controls.entries.push_back(back_entry());
    pages.push_back(controls);
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
                                  {asks("Play", menu_action::play),
                                   asks("Levels", menu_action::levels),
                                   asks("Random level", menu_action::random_level),
                                   asks("Level of the day", menu_action::level_of_the_day),
                                   asks("Editor", menu_action::editor),
                                   asks("Replays", menu_action::replays),
                                   opens("Settings", first_settings_page),
                                   asks("Quit", menu_action::quit)}}};
    add_settings_pages(pages, shown, bound);
    return pages;
}

std::vector<menu_page> pause_menu_pages(const settings& shown,
                                        const std::vector<key_binding>& bound) {
    // "Paused" is what the HUD has always said while the game stands still.
    std::vector<menu_page> pages{{"Paused",
                                  {asks("Resume", menu_action::resume),
                                   asks("Restart", menu_action::restart),
                                   opens("Settings", first_settings_page),
                                   asks("Levels", menu_action::levels),
                                   asks("Fall map", menu_action::fall_map),
                                   asks("Title menu", menu_action::title),
                                   asks("Quit", menu_action::quit)}}};
    add_settings_pages(pages, shown, bound);
    return pages;
}

void apply_entry(settings& s, const menu_entry& e) {
    if (e.values.empty()) {
        return;
    }
    const std::string& text = e.values[e.value];
    const bool on = text == "on";
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
    } else if (e.id == "window") {
        int width = 0;
        int height = 0;
        if (std::sscanf(text.c_str(), "%d x %d", &width, &height) == 2) {
            s.window_width = width;
            s.window_height = height;
        }
    }
}

std::size_t level_to_continue(const std::vector<level_list_row>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].unlocked && !rows[i].best_seconds) {
            return i;
        }
    }
    return 0;
}

}  // namespace quillomar
