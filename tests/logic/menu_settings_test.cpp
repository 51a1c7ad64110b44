// The menus' model and the settings file, without a window: key sequences through the pages,
// settings written and read back, damaged files, and keys refused when another action has them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/key_map.h"
#include "game/menu.h"
#include "records/settings.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

using in = menu_input;
const std::vector<key_binding> keys = {{"forward", "W"}, {"back", "S"}};

TEST(Menu, KeySequencesReachTheirPageChoiceAndAction) {
    const std::vector<in> to_settings = {in::down, in::down, in::down, in::down,
                                         in::down, in::down, in::down, in::down, in::confirm};
    auto then = [&](std::vector<in> more) {
        std::vector<in> all = to_settings;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    struct row {
        bool title;
        std::vector<in> inputs;
        std::size_t page, choice;
        menu_action last;
    } const rows[] = {
        {true, {}, 0, 0, menu_action::none},
        {true, {in::confirm}, 0, 0, menu_action::play},
        {true, {in::down, in::confirm}, 0, 1, menu_action::levels},
        {true, {in::up}, 0, 9, menu_action::none},
        {true, {in::up, in::down, in::up, in::confirm}, 0, 9, menu_action::quit},
        {true, {in::down, in::down, in::down, in::down, in::down, in::confirm}, 0, 5,
         menu_action::replays},
        {true, {in::up, in::up, in::up, in::up, in::confirm}, 0, 6, menu_action::paste_level},
        {true, {in::up, in::up, in::up, in::confirm}, 0, 7, menu_action::online},
        {true, to_settings, 1, 0, menu_action::none},
        {true, then({in::confirm}), 2, 0, menu_action::none},
        {true, then({in::up, in::confirm}), 0, 8, menu_action::none},
        {true, then({in::down, in::confirm, in::left}), 3, 0, menu_action::changed},
        {true, then({in::down, in::confirm, in::right}), 3, 0, menu_action::none},
        {true, then({in::confirm, in::confirm}), 2, 0, menu_action::changed},
        {true, then({in::down, in::down, in::confirm, in::down, in::confirm}), 4, 1,
         menu_action::rebind},
        {true, then({in::down, in::down, in::confirm, in::down, in::right}), 4, 1,
         menu_action::none},
        {true, then({in::down, in::down, in::confirm, in::up, in::up, in::confirm}), 4, 6,
         menu_action::reset_keys},
        // Controls, Steering: Direct to Classic. (Escape on every page has a test of its own.)
        {true, then({in::down, in::down, in::confirm, in::down, in::down, in::confirm, in::right}),
         6, 0, menu_action::changed},
        {false, {in::confirm}, 0, 0, menu_action::resume},
        {false, {in::down, in::confirm}, 0, 1, menu_action::restart},
        {false, {in::up, in::up, in::confirm}, 0, 5, menu_action::title},
        {false, {in::up, in::up, in::up, in::confirm}, 0, 4, menu_action::fall_map},
        {false, {in::down, in::down, in::confirm}, 0, 2, menu_action::levels},
        {false, {in::down, in::down, in::down, in::confirm, in::confirm}, 2, 0, menu_action::none},
        {true, then({in::up, in::up, in::up, in::confirm, in::down, in::right}), 5, 1,
         menu_action::changed},
        // Settings, Language: from Automatic to English.
        {true, then({in::up, in::up, in::right}), 1, 4, menu_action::changed},
    };
    for (const row& r : rows) {
        const settings shown;
        menu m(r.title ? title_menu_pages(shown, keys) : pause_menu_pages(shown, keys));
        menu_action last = menu_action::none;
        for (const in i : r.inputs) {
            last = m.handle(i);
        }
        const std::size_t at = static_cast<std::size_t>(&r - rows);
        EXPECT_EQ(m.page_index(), r.page) << at;
        EXPECT_EQ(m.choice(), r.choice) << at;
        EXPECT_EQ(last, r.last) << at;
    }
    // The mouse points at a row of the page shown.
    menu m(title_menu_pages({}, keys));
    EXPECT_FALSE(m.point_at(10));
    EXPECT_TRUE(m.point_at(3));
    EXPECT_EQ(m.handle(in::confirm), menu_action::level_of_the_day);
}

TEST(Menu, ChangedEntriesSetOnlyTheirSettingAndPlayContinuesAtTheFirstLevelNotWon) {
    settings shown;
    shown.music_volume = 55;
    shown.window_width = 1000;
    shown.window_height = 700;
    menu m(title_menu_pages(shown, keys));
    settings saved;
    for (const auto& [id, steps, expected] :
         {std::tuple{"music", -1, "50%"}, std::tuple{"effects", -2, "80%"},
          std::tuple{"window", -2, "1600 x 900"}, std::tuple{"multisampling", -1, "2x"},
          std::tuple{"dead-zone", 2, "40%"}, std::tuple{"shadows", -1, "off"},
          std::tuple{"fullscreen", 1, "on"}, std::tuple{"vsync", 1, "on"},
          std::tuple{"game-speed", -2, "75%"}, std::tuple{"text-size", 2, "200%"},
          std::tuple{"heading-arrow", -1, "off"}, std::tuple{"level-preview", -1, "off"},
          std::tuple{"steering", 1, "Classic"}, std::tuple{"turn-speed", 2, "180 deg/s"},
          std::tuple{"mouse-sensitivity", -1, "75%"}}) {
        menu_entry* e = m.find(id);
        ASSERT_NE(e, nullptr) << id;
        e->value = static_cast<std::size_t>(static_cast<int>(e->value) + steps);
        EXPECT_EQ(e->values[e->value], expected) << id;
        apply_entry(saved, *e);
    }
    settings expected;
    expected.music_volume = 50;
    expected.effects_volume = 80;
    expected.window_width = 1600;
    expected.window_height = 900;
    expected.multisampling = 2;
    expected.dead_zone = 40;
    expected.shadows = false;
    expected.fullscreen = true;
    expected.vsync = true;
    expected.game_speed_percent = 75;
    expected.text_size_percent = 200;
    expected.heading_arrow = false;
    expected.level_preview = false;
    expected.steer = steering::classic;
    expected.turn_speed = 180;
    expected.mouse_sensitivity = 75;
    EXPECT_EQ(saved, expected);
    EXPECT_EQ(m.find("key:back")->values, std::vector<std::string>{"S"});

    const level_list_row open_won{"a", true, 3.0}, open{"b", true, {}}, locked{"c", false, {}};
    EXPECT_EQ(level_to_continue({open_won, open, locked}), 1u);
    EXPECT_EQ(level_to_continue({open_won, open_won}), 0u);
    EXPECT_EQ(level_to_continue({}), 0u);
}

// Every page of every menu, reached by confirming the entries that open it: Escape there goes
// back exactly one page, to the entry that opened it; on the first page it leaves the menu.
TEST(Menu, EscapeOnEveryPageOfEveryMenuGoesBackOnePage) {
    const std::vector<key_binding> bound = default_key_bindings();
    for (const auto& [name, pages] :
         {std::pair{"title", title_menu_pages({}, bound)},
          std::pair{"pause", pause_menu_pages({}, bound)},
          std::pair{"finished", finished_menu_pages({}, bound, true)}}) {
        // The way into each page: the rows confirmed from the first page.
        std::vector<std::vector<std::size_t>> way(pages.size());
        std::vector<bool> reached(pages.size(), false);
        reached[0] = true;
        std::vector<std::size_t> pending = {0};
        while (!pending.empty()) {
            const std::size_t from = pending.back();
            pending.pop_back();
            for (std::size_t row = 0; row < pages[from].entries.size(); ++row) {
                const int to = pages[from].entries[row].opens;
                if (to < 0 || reached[static_cast<std::size_t>(to)]) {
                    continue;
                }
                reached[static_cast<std::size_t>(to)] = true;
                way[static_cast<std::size_t>(to)] = way[from];
                way[static_cast<std::size_t>(to)].push_back(row);
                pending.push_back(static_cast<std::size_t>(to));
            }
        }
        for (std::size_t page = 0; page < pages.size(); ++page) {
            const std::string at = std::string(name) + " page " + pages[page].title;
            ASSERT_TRUE(reached[page]) << at;
            menu m(pages);
            std::vector<std::pair<std::size_t, std::size_t>> trail;
            for (const std::size_t row : way[page]) {
                trail.push_back({m.page_index(), row});
                ASSERT_TRUE(m.point_at(row));
                m.handle(in::confirm);
            }
            ASSERT_EQ(m.page_index(), page) << at;
            // Escape all the way out: one page at a time, each back on the entry that opened it.
            while (!trail.empty()) {
                EXPECT_EQ(m.handle(in::back), menu_action::none) << at;
                EXPECT_EQ(m.page_index(), trail.back().first) << at;
                EXPECT_EQ(m.choice(), trail.back().second) << at;
                trail.pop_back();
            }
            EXPECT_EQ(m.handle(in::back), menu_action::leave) << at;
        }
    }
}

// Right raises every value that has an order and Left lowers it; Controls lists the keys of
// play first, the display switches on their own page.
TEST(Menu, RightRaisesEveryValueAndControlsListsThePlayKeysFirst) {
    settings shown;
    shown.window_width = 1024;
    shown.window_height = 768;
    const std::vector<key_binding> bound = default_key_bindings();
    // "800 x 600" ranks by its area, "2x" and "75%" by their number, "on" above "off".
    const auto rank = [](const std::string& v) {
        const std::size_t by = v.find(" x ");
        return v == "off"                  ? 0.0
               : v == "on"                 ? 1.0
               : by != std::string::npos ? std::atof(v.c_str()) * std::atof(v.c_str() + by + 3)
                                         : std::atof(v.c_str());
    };
    for (const menu_page& page : title_menu_pages(shown, bound)) {
        for (const menu_entry& e : page.entries) {
            // Steering and language are choices with no order.
            for (std::size_t i = 1;
                 i < e.values.size() && e.id != "steering" && e.id != "language"; ++i) {
                EXPECT_LT(rank(e.values[i - 1]), rank(e.values[i])) << e.label << " " << i;
            }
        }
    }
    const std::vector<menu_page> pages = title_menu_pages(shown, bound);
    const auto page_named = [&](const std::string& title) {
        return *std::find_if(pages.begin(), pages.end(),
                             [&](const menu_page& p) { return p.title == title; });
    };
    const menu_page controls = page_named("Controls");
    EXPECT_EQ(controls.entries[0].id, "key:forward");
    EXPECT_EQ(controls.entries[5].label, "Retry");
    for (const menu_entry& e : controls.entries) {
        EXPECT_TRUE(e.id.find("wireframe") == std::string::npos &&
                    e.id.find("free-camera") == std::string::npos)
            << e.id;
    }
    EXPECT_EQ(page_named("Display switches").entries.size(), 7u);
    EXPECT_EQ(page_named("Free camera").entries.size(), 7u);
    EXPECT_EQ(controls.entries.end()[-3].label, "Display switches");
}

TEST(Settings, AKeyTakenByAnotherActionIsRefused) {
    std::vector<key_binding> bound = {{"forward", "W"}, {"back", "S"}, {"menus", "Escape"}};
    settings s;
    EXPECT_EQ(rebind(s, bound, "forward", "S"), "S is taken by Back");
    EXPECT_EQ(rebind(s, bound, "back", "Escape"), "Escape is taken by the menus");
    EXPECT_FALSE(rebind(s, bound, "jump", "J").empty());
    EXPECT_TRUE(s.keys.empty());
    EXPECT_EQ(rebind(s, bound, "forward", "K"), "");
    EXPECT_EQ(rebind(s, bound, "back", "W"), "");
    EXPECT_EQ(rebind(s, bound, "back", "W"), "");
    EXPECT_EQ(bound[0].key, "K");
    EXPECT_EQ(s.keys, (std::map<std::string, std::string>{{"back", "W"}, {"forward", "K"}}));
}

TEST(Settings, EveryDefaultKeyHasANameThatReadsBack) {
    const std::vector<key_binding> defaults = default_key_bindings();
    // and full screen, pause, list, ghost, editor, theatre, fall map and overview
    EXPECT_EQ(defaults.size(), command_count + 8);
    EXPECT_EQ(defaults.back().action + " " + defaults.back().key, "overview V");
    for (const key_binding& b : defaults) {
        EXPECT_FALSE(b.key.empty()) << b.action;
        EXPECT_EQ(key_name(key_code(b.key)), b.key) << b.action;
    }
    EXPECT_EQ(key_code("NoSuchKey"), key_code(""));
    EXPECT_EQ(key_name(key_code("\\")), "\\");
}

TEST(Settings, WrittenSettingsReadBackAndOnlyChangedOnesAreWritten) {
    EXPECT_EQ(format_settings({}), "quillomar-settings 1\n");
    settings s;
    s.fullscreen = false;
    s.window_width = 1280;
    s.window_height = 720;
    s.vsync = true;
    s.multisampling = 0;
    s.shadows = false;
    s.music_volume = 0;
    s.effects_volume = 35;
    s.dead_zone = 90;
    s.game_speed_percent = 50;
    s.text_size_percent = 150;
    s.heading_arrow = false;
    s.level_preview = false;
    s.steer = steering::classic;
    s.turn_speed = 60;
    s.mouse_sensitivity = 400;
    s.keys = {{"forward", "Up"}, {"flip", "\\"}};
    s.language = "en";
    s.server = "http://127.0.0.1:8080";
    s.send_runs = true;
    const test::scratch_dir dir;
    const std::string path = (dir.path() / "cfg/quillomar/settings.txt").string();
    ASSERT_TRUE(settings_file(path).save(s));
    EXPECT_EQ(settings_file(path).load(), s);
    settings louder = s;
    louder.music_volume = 10;
    EXPECT_FALSE(louder == s);
    EXPECT_FALSE(settings_file("").save(s));
    EXPECT_EQ(settings_path("/c", "/h"), "/c/quillomar/settings.txt");
    EXPECT_EQ(settings_path("c", "/h"), "/h/.config/quillomar/settings.txt");
    EXPECT_EQ(settings_path(nullptr, ""), "");
}

TEST(Settings, ADamagedFileCostsOneLineAndItsGoodLinesOrTheDefaults) {
    const std::string h = "quillomar-settings 1\n";
    struct row {
        std::string text;
        int music;
        int shadows_off;
        std::string kept_aside;
    } const rows[] = {
        {h + "music 40\n", 40, 0, ""},
        {h + "music 400\nshadows off\nvsync maybe\nwindow 0 5\nkey a\nmultisampling 3\nvsync on x\n",
         100, 1, "music 400\nvsync maybe\nwindow 0 5\nkey a\nmultisampling 3\nvsync on x\n"},
        {h + "music 40\nmusic 30\ndead-zone 4\neffects 7", 30, 0, "dead-zone 4\neffects 7\n"},
        {h + "game-speed 80\ntext-size 120\nheading-arrow 1\nlevel-preview\nshadows off\n", 100, 1,
         "game-speed 80\ntext-size 120\nheading-arrow 1\nlevel-preview\n"},
        {h + "steering Direct\nturn-speed 59\nturn-speed 241\nmouse-sensitivity 24\nmusic 40\n", 40,
         0, "steering Direct\nturn-speed 59\nturn-speed 241\nmouse-sensitivity 24\n"},
        {h + "language xx\nserver ftp://x\nserver http://\nsend-runs yes\nmusic 40\n", 40, 0,
         "language xx\nserver ftp://x\nserver http://\nsend-runs yes\n"},
        {"settings 1\nmusic 40\n", 100, 0, "settings 1\nmusic 40\n"},
        {"", 100, 0, ""},
    };
    for (const row& r : rows) {
        const test::scratch_dir dir;
        const std::string path = dir.write("settings.txt", r.text);
        test::stream_capture log;
        const settings s = settings_file(path).load();
        EXPECT_EQ(s.music_volume, r.music) << r.text;
        EXPECT_EQ(s.shadows, r.shadows_off == 0) << r.text;
        const bool damaged = r.text != h + "music 40\n";
        ASSERT_EQ(log.lines().size(), damaged ? 1u : 0u) << r.text;
        if (damaged) {
            EXPECT_NE(log.text().find(path), std::string::npos) << log.text();
            EXPECT_EQ(test::file_text(path + ".damaged"), r.kept_aside) << r.text;
            EXPECT_EQ(settings_file(path).load(), s) << r.text;
        }
    }
    // Not a file at all: refused, moved aside, and the defaults.
    const test::scratch_dir dir;
    std::filesystem::create_directories(dir.path() / "settings.txt");
    test::stream_capture log;
    EXPECT_EQ(settings_file((dir.path() / "settings.txt").string()).load(), settings{});
    EXPECT_EQ(log.lines().size(), 1u);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "settings.txt.damaged"));
}

}  // namespace
}  // namespace quillomar
