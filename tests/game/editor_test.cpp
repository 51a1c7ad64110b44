// The level editor in the whole game, driven by its keys: what Ctrl+S leaves in the file, the
// play-test and Escape, and the level list's generated levels.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "authoring/generated_level_file.h"
#include "authoring/level_title.h"
#include "framework/key_map.h"
#include "shell/edit_mode.h"
#include "authoring/own_levels.h"
#include "shell/editor_list_screen.h"
#include "shell/list_screen.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// Won by rolling one cell ahead; a header comment and CRLF line ends that a save must keep.
const char* const corridor = "# two rows\r\nstart 1 2\r\nfinish 1 0\r\npath\r\n111\r\n111\r\n111\r\n";

// Five rows: the finish four cells ahead of the start.
const char* const long_corridor = "start 1 4\nfinish 1 0\npath\n111\n111\n111\n111\n111\n";

bool shows(test::game_driver& d, const std::string& start) {
    const std::vector<hud_line> lines = d.game().shell_hud_lines();
    return std::any_of(lines.begin(), lines.end(),
                       [&](const hud_line& l) { return l.text.rfind(start, 0) == 0; });
}

// A game opened on `path` in the editor.
struct editing : test::game_driver {
    explicit editing(const std::string& path) : game_driver(corridor, false) {
        game().edit_path = path;
        game().startup();
    }
};

TEST(Editor, CtrlSSavesANewLevelAndAnUndoneEditByteForByte) {
    const test::scratch_dir dir;
    struct edit_case {
        const char* name;
        const char* original;  // null: no file yet
        std::vector<std::pair<int, int>> keys;
        const char* saved = nullptr;  // what the file holds after the save, when not the original
        const char* cell_line = nullptr;  // the cursor line of the HUD after the keys
    };
    const int o = GLFW_KEY_O;
    const int up = GLFW_KEY_PAGE_UP;
    const int ctrl = GLFW_MOD_CONTROL;
    const edit_case cases[] = {
        {"new.txt", nullptr, {{up, 0}, {GLFW_KEY_RIGHT, 0}, {up, 0}, {up, 0}}},
        {"undone.txt", corridor,
         {{up, 0}, {GLFW_KEY_DOWN, 0}, {up, 0}, {GLFW_KEY_Z, ctrl}, {GLFW_KEY_Z, ctrl},
          {GLFW_KEY_Y, ctrl}, {GLFW_KEY_Z, ctrl}}},
        {"faced.txt", corridor, {{o, 0}, {o, 0}},
         "# two rows\r\nstart 1 2\r\nfacing south\r\nfinish 1 0\r\npath\r\n111\r\n111\r\n111\r\n",
         "Cell 1 2, height 1 - start, facing south"},
        {"round.txt", corridor, {{o, 0}, {o, 0}, {o, 0}, {o, 0}}, nullptr,
         "Cell 1 2, height 1 - start, facing north"},
    };
    for (const edit_case& c : cases) {
        const std::string path = (dir.path() / c.name).string();
        if (c.original != nullptr) {
            dir.write(c.name, c.original);
        }
        editing d(path);
        ASSERT_EQ(d.game().screen_name(), "edit") << c.name;
        for (const auto& [key, mods] : c.keys) {
            press(d, key, mods);
        }
        if (c.cell_line != nullptr) {
            EXPECT_EQ(d.game().editor()->hud_lines(768)[1].text, c.cell_line);
        }
        press(d, GLFW_KEY_S, GLFW_MOD_CONTROL);
        EXPECT_TRUE(shows(d, "Saved " + path)) << c.name;
        if (c.original != nullptr) {
            EXPECT_EQ(test::file_text(path), c.saved != nullptr ? c.saved : c.original) << c.name;
        } else {
            level saved;
            ASSERT_TRUE(saved.read_file(path));
            EXPECT_EQ(saved.cubes.size(), 2u);
        }
    }
}

TEST(Editor, F5PlayTestsTheEditAndAWinOrEscapeComesBackWhereTheCursorWas) {
    const test::scratch_dir dir;
    setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
    editing d(dir.write("level.txt", corridor));
    d.game().editor()->wait_for_check();
    EXPECT_EQ(d.game().editor()->verdict().rfind("finishable in 0:", 0), 0u)
        << d.game().editor()->verdict();
    press(d, GLFW_KEY_RIGHT);
    press(d, GLFW_KEY_F5);
    ASSERT_EQ(d.game().screen_name(), "play");
    d.hold(command::forward);
    d.frames(240, false);
    EXPECT_EQ(d.game().screen_name(), "edit");
    EXPECT_TRUE(shows(d, "Play-test: finished in 0:"));
    EXPECT_EQ(d.game().editor()->cursor(), (grid_cell{2, 2}));
    // A play-test keeps no records: the edit may not be saved.
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "data" / "quillomar" / "records.txt"));

    press(d, GLFW_KEY_F5);
    d.game().keys()->key_pressed(GLFW_KEY_ESCAPE);
    EXPECT_FALSE(d.game().quit_requested());
    EXPECT_EQ(d.game().screen_name(), "edit");
    // Unsaved changes: the first Escape asks, the second quits.
    press(d, GLFW_KEY_PAGE_DOWN);
    d.game().keys()->key_pressed(GLFW_KEY_ESCAPE);
    EXPECT_FALSE(d.game().quit_requested());
    EXPECT_TRUE(shows(d, "Unsaved changes - Escape again quits, Ctrl+S saves"));
    d.game().keys()->key_pressed(GLFW_KEY_ESCAPE);
    EXPECT_TRUE(d.game().quit_requested());
}

TEST(Editor, TheLevelListPlaysTheLevelOfTheDayFromAFileBesideTheRecordsAndF6EditsIt) {
    const test::scratch_dir dir;
    setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
    test::game_driver d(corridor);
    d.game().level_set_path = dir.write("order.txt", dir.write("a.txt", corridor) + "\n");
    press(d, GLFW_KEY_TAB);
    ASSERT_EQ(d.game().level_list().size(), 3u);
    // Each generated row is called by its seed's title; the seed stands in the note.
    EXPECT_EQ(d.game().level_list()[1].title.rfind("Random level: ", 0), 0u);
    const std::uint64_t seed = level_of_the_day_seed();
    ASSERT_EQ(d.game().level_list()[2].title, "Level of the day: " + title_for_seed(seed));
    press(d, GLFW_KEY_DOWN);
    press(d, GLFW_KEY_DOWN);
    press(d, GLFW_KEY_ENTER);
    const std::string kept = generated_level_path((dir.path() / "data" / "quillomar").string(), seed);
    EXPECT_EQ(d.game().level_path, kept);
    EXPECT_TRUE(d.state().has_level);

    press(d, GLFW_KEY_F6);
    ASSERT_EQ(d.game().screen_name(), "edit");
    EXPECT_EQ(d.game().editor()->session().path(), kept);
}

void type(test::game_driver& d, const std::string& text) {
    for (const char c : text) {
        d.game().keys()->typed(static_cast<unsigned char>(c));
    }
    d.frames(1, false);
}

TEST(Editor, ANewFileOpensOnAnEmptyGridAndSavedGoesAtTheNextEdit) {
    const test::scratch_dir dir;
    const std::string path = (dir.path() / "mine.txt").string();
    editing d(path);
    edit_mode& editor = *d.game().editor();
    editor.wait_for_check();
    d.frames(1, false);
    EXPECT_EQ(editor.area(), (grid_cell{16, 16}));
    EXPECT_TRUE(shows(d, "Editing " + path + " - new"));
    EXPECT_TRUE(shows(d, "No cubes yet"));
    EXPECT_FALSE(test::hud_shows(d, "mine.txt:", true));
    press(d, GLFW_KEY_RIGHT, GLFW_MOD_CONTROL);
    press(d, GLFW_KEY_UP, GLFW_MOD_CONTROL);
    EXPECT_EQ(editor.area(), (grid_cell{17, 15}));
    press(d, GLFW_KEY_PAGE_UP);
    press(d, GLFW_KEY_S, GLFW_MOD_CONTROL);
    EXPECT_TRUE(shows(d, "Saved " + path));
    EXPECT_FALSE(test::hud_shows(d, " - new", true));
    press(d, GLFW_KEY_PAGE_UP);
    EXPECT_FALSE(shows(d, "Saved "));
    EXPECT_TRUE(shows(d, "Editing " + path + " (unsaved)"));
}

TEST(Editor, ASlabIsOneSelectionAndOneKeyAndUndoesInOneStep) {
    const test::scratch_dir dir;
    editing d((dir.path() / "slab.txt").string());
    edit_mode& editor = *d.game().editor();
    for (int i = 0; i < 9; ++i) {
        press(d, GLFW_KEY_RIGHT, GLFW_MOD_SHIFT);
    }
    press(d, GLFW_KEY_DOWN, GLFW_MOD_SHIFT);
    press(d, GLFW_KEY_DOWN, GLFW_MOD_SHIFT);
    ASSERT_TRUE(editor.selection().has_value());
    EXPECT_EQ(*editor.selection(), cell_area::spanning({0, 0}, {9, 2}));
    press(d, GLFW_KEY_2);
    const auto heights = [&editor] {
        std::vector<int> all;
        for (const cube_cell& c : editor.session().document().cubes()) {
            all.push_back(c.height);
        }
        return all;
    };
    EXPECT_EQ(heights(), std::vector<int>(30, 2));
    press(d, GLFW_KEY_PAGE_UP);
    EXPECT_EQ(heights(), std::vector<int>(30, 3));
    press(d, GLFW_KEY_Z, GLFW_MOD_CONTROL);
    EXPECT_EQ(heights(), std::vector<int>(30, 2));
    press(d, GLFW_KEY_C, GLFW_MOD_CONTROL);
    // An arrow without Shift ends the selection; the paste lands at the cursor.
    press(d, GLFW_KEY_DOWN);
    EXPECT_FALSE(editor.selection().has_value());
    press(d, GLFW_KEY_V, GLFW_MOD_CONTROL);
    EXPECT_EQ(heights().size(), 60u);
    press(d, GLFW_KEY_Z, GLFW_MOD_CONTROL);
    press(d, GLFW_KEY_UP);
    press(d, GLFW_KEY_DELETE);
    EXPECT_EQ(heights().size(), 29u);
    press(d, GLFW_KEY_Z, GLFW_MOD_CONTROL);
    press(d, GLFW_KEY_Z, GLFW_MOD_CONTROL);
    EXPECT_TRUE(heights().empty());
    // Escape drops a selection before it asks about unsaved changes.
    press(d, GLFW_KEY_LEFT, GLFW_MOD_SHIFT);
    press(d, GLFW_KEY_ESCAPE);
    EXPECT_FALSE(editor.selection().has_value());
    EXPECT_FALSE(shows(d, "Unsaved changes"));
}

TEST(Editor, AFailingCheckIsRedNamesItsCellAndGTakesTheCursorThere) {
    const test::scratch_dir dir;
    editing d(dir.write("level.txt", long_corridor));
    edit_mode& editor = *d.game().editor();
    const auto verdict_tone = [&d] {
        for (const hud_line& l : d.game().shell_hud_lines()) {
            if (l.text.rfind("not finishable", 0) == 0 || l.text.rfind("finishable", 0) == 0) {
                return l.tone;
            }
        }
        return hud_tone::dim;
    };
    editor.wait_for_check();
    d.frames(1, false);
    EXPECT_EQ(verdict_tone(), hud_tone::plain);
    // Row 2 cut across: the ball cannot get past the row below it.
    press(d, GLFW_KEY_UP);
    press(d, GLFW_KEY_UP);
    press(d, GLFW_KEY_LEFT);
    press(d, GLFW_KEY_RIGHT, GLFW_MOD_SHIFT);
    press(d, GLFW_KEY_RIGHT, GLFW_MOD_SHIFT);
    press(d, GLFW_KEY_DELETE);
    press(d, GLFW_KEY_LEFT);
    editor.wait_for_check();
    d.frames(1, false);
    ASSERT_TRUE(editor.problem_place().has_value());
    const grid_cell place = *editor.problem_place();
    EXPECT_EQ(place.z, 3);
    EXPECT_EQ(verdict_tone(), hud_tone::behind);
    EXPECT_TRUE(shows(d, "G: cursor to (" + std::to_string(place.x) + ", 3)"));
    EXPECT_NE(editor.cursor(), place);
    press(d, GLFW_KEY_G);
    EXPECT_EQ(editor.cursor(), place);
    // Undone, the level passes again: plain, and G has nowhere to go.
    press(d, GLFW_KEY_Z, GLFW_MOD_CONTROL);
    editor.wait_for_check();
    d.frames(1, false);
    EXPECT_EQ(verdict_tone(), hud_tone::plain);
    EXPECT_FALSE(shows(d, "G: cursor to"));
    press(d, GLFW_KEY_UP);
    press(d, GLFW_KEY_G);
    EXPECT_NE(editor.cursor(), place);
}

TEST(Editor, TitleHintAndFacingTypedInTheEditorAreReadByTheGame) {
    const test::scratch_dir dir;
    const std::string path = dir.write("level.txt", long_corridor);
    editing d(path);
    press(d, GLFW_KEY_T);
    ASSERT_TRUE(d.game().editor()->typing());
    // Letters typed are text, not the keys they would be (S would move the start).
    d.game().keys()->key_pressed(GLFW_KEY_S);
    type(d, "Short way");
    press(d, GLFW_KEY_BACKSPACE);
    type(d, "Y");
    EXPECT_TRUE(shows(d, "Title: Short waY_"));
    press(d, GLFW_KEY_ENTER);
    press(d, GLFW_KEY_N);
    type(d, "Roll ahead");
    press(d, GLFW_KEY_ESCAPE);  // drops the hint being typed
    press(d, GLFW_KEY_N);
    type(d, "Roll ahead");
    press(d, GLFW_KEY_ENTER);
    press(d, GLFW_KEY_O);
    press(d, GLFW_KEY_S, GLFW_MOD_CONTROL);
    level saved;
    ASSERT_TRUE(saved.read_file(path));
    EXPECT_EQ(saved.title, "Short waY");
    EXPECT_EQ(saved.hint, "Roll ahead");
    EXPECT_EQ(saved.start_facing, facing::east);
    EXPECT_EQ(saved.start, glm::vec2(2.0f, 8.0f));
}

TEST(Editor, ShiftF5PlaysFromTheCursorCellAndThePlayTestSaysSo) {
    const test::scratch_dir dir;
    setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
    editing d(dir.write("level.txt", long_corridor));
    press(d, GLFW_KEY_UP);
    press(d, GLFW_KEY_UP);
    press(d, GLFW_KEY_F5, GLFW_MOD_SHIFT);
    ASSERT_EQ(d.game().screen_name(), "play");
    EXPECT_EQ(d.state().level.start, glm::vec2(2.0f, 4.0f));
    EXPECT_TRUE(shows(d, "Play-test"));
    press(d, GLFW_KEY_ESCAPE);
    ASSERT_EQ(d.game().screen_name(), "edit");
    EXPECT_TRUE(shows(d, "Play-test: stopped"));
    // No cube under the cursor: nothing to play from.
    press(d, GLFW_KEY_RIGHT);
    press(d, GLFW_KEY_RIGHT);
    press(d, GLFW_KEY_F5, GLFW_MOD_SHIFT);
    EXPECT_EQ(d.game().screen_name(), "edit");
    EXPECT_TRUE(shows(d, "Shift+F5 plays from a cell with a cube"));
}

TEST(Editor, VTurnsToTheViewAroundTheCursorAndRLaysTheProvenRouteOnTheMap) {
    const test::scratch_dir dir;
    editing d(dir.write("level.txt", long_corridor));
    edit_mode& editor = *d.game().editor();
    const std::size_t plain = editor.marks().size();
    press(d, GLFW_KEY_R);
    ASSERT_TRUE(editor.route_shown());
    editor.wait_for_route();
    d.frames(1);
    EXPECT_GT(editor.marks().size(), plain);
    press(d, GLFW_KEY_R);
    EXPECT_EQ(editor.marks().size(), plain);
    press(d, GLFW_KEY_V);
    EXPECT_TRUE(editor.three_d());
    const glm::vec3 eye = editor.view(1.0f).cam_pos;
    press(d, GLFW_KEY_RIGHT_BRACKET);
    EXPECT_GT(glm::length(editor.view(1.0f).cam_pos - eye), 1.0f);
    // The cube tops keep the game's own look in 3D; edits go on as on the map.
    EXPECT_LT(editor.marks().size(), plain);
    press(d, GLFW_KEY_4);
    EXPECT_EQ(editor.session().document().height(editor.cursor()), 4);
    d.frames(1);
    press(d, GLFW_KEY_V);
    EXPECT_FALSE(editor.three_d());
}

TEST(Editor, TheTitleMenusEditorOpensOwnLevelsNewOnesAndCopiesAndWritesNowhereElse) {
    const test::scratch_dir dir;
    setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir.path() / "config").c_str(), 1);
    const std::string set_level = dir.write("a.txt", corridor);
    test::game_driver d(corridor, false);
    d.start_from_menu(dir.write("order.txt", set_level + " Corridor\n"));
    d.frames(1, false);
    for (const int key : {GLFW_KEY_DOWN, GLFW_KEY_DOWN, GLFW_KEY_DOWN, GLFW_KEY_DOWN}) {
        press(d, key);
    }
    press(d, GLFW_KEY_ENTER);
    ASSERT_EQ(d.game().screen_name(), "editor list");
    const auto& list = static_cast<editor_list_screen&>(d.game().top());
    const std::string folder = (dir.path() / "data" / "quillomar" / "levels").string();
    EXPECT_EQ(list.folder(), folder);
    ASSERT_EQ(list.rows().size(), 2u);
    EXPECT_EQ(list.rows()[1].title, "Copy of Corridor");

    // A click on the copy's row opens it.
    const menu_row_place copy_row = list.layout(d.game()).rows.at(1);
    d.game().keys()->move_pointer((copy_row.left + copy_row.right) / 2, copy_row.top + 1);
    d.game().keys()->mouse_clicked();
    d.frames(1, false);
    ASSERT_EQ(d.game().screen_name(), "edit");
    const std::string copy = folder + "/copy_of_a.txt";
    EXPECT_EQ(d.game().editor()->session().path(), copy);
    EXPECT_EQ(test::file_text(copy), corridor);
    press(d, GLFW_KEY_PAGE_UP);
    press(d, GLFW_KEY_S, GLFW_MOD_CONTROL);
    EXPECT_EQ(test::file_text(set_level), corridor);
    press(d, GLFW_KEY_ESCAPE);
    ASSERT_EQ(d.game().screen_name(), "editor list");
    ASSERT_EQ(list.rows().size(), 3u);
    EXPECT_EQ(list.rows()[1].title, "copy_of_a.txt");

    press(d, GLFW_KEY_UP);
    press(d, GLFW_KEY_ENTER);
    type(d, "My level!");
    press(d, GLFW_KEY_ENTER);
    ASSERT_EQ(d.game().screen_name(), "edit");
    EXPECT_EQ(d.game().editor()->session().path(), folder + "/My_level.txt");
    EXPECT_FALSE(std::filesystem::exists(folder + "/My_level.txt"));
    press(d, GLFW_KEY_PAGE_UP);
    press(d, GLFW_KEY_S, GLFW_MOD_CONTROL);
    EXPECT_TRUE(std::filesystem::exists(folder + "/My_level.txt"));
    // F6 in play edits a copy of a set's level; the set's own file is only read.
    d.game().play_level(set_level, true);
    press(d, {GLFW_KEY_SPACE});
    test::until_screen(d, "play");
    press(d, {GLFW_KEY_F6});
    ASSERT_EQ(d.game().screen_name(), "edit");
    EXPECT_EQ(d.game().editor()->session().path(), folder + "/copy_of_a-2.txt");
    press(d, GLFW_KEY_PAGE_UP);
    press(d, GLFW_KEY_S, GLFW_MOD_CONTROL);
    EXPECT_EQ(test::file_text(set_level), corridor);
    // Outside the data and settings folders only the files the test made are there.
    std::vector<std::string> outside;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
        const std::string p = entry.path().string();
        if (p.rfind((dir.path() / "data").string(), 0) != 0 &&
            p.rfind((dir.path() / "config").string(), 0) != 0) {
            outside.push_back(entry.path().filename().string());
        }
    }
    std::sort(outside.begin(), outside.end());
    EXPECT_EQ(outside, (std::vector<std::string>{"a.txt", "order.txt"}));
}

TEST(Editor, ALevelSavedInTheEditorIsListedUnderYourLevelsByItsTitleAndKeepsItsRecord) {
    const test::scratch_dir dir;
    setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir.path() / "config").c_str(), 1);
    const std::string set_level = dir.write("a.txt", corridor);
    test::game_driver d(corridor, false);
    d.start_from_menu(dir.write("order.txt", set_level + " Corridor\n"));
    const std::string folder = (dir.path() / "data" / "quillomar" / "levels").string();
    std::string note;
    write_own_level(folder, "plain.txt", long_corridor, &note);
    const std::string mine = copy_to_own_levels(folder, set_level, &note);
    d.game().open_editor(mine);
    press(d, GLFW_KEY_T);
    type(d, "Hill Run");
    press(d, GLFW_KEY_ENTER);
    press(d, GLFW_KEY_S, GLFW_MOD_CONTROL);
    press(d, GLFW_KEY_ESCAPE);

    // After the set and the generated levels, under their heading, by title or file name.
    d.game().open_level_list();
    const menu_layout shown = static_cast<list_screen&>(d.game().top()).layout(d.game());
    std::vector<std::string> order;
    for (const hud_line& line : shown.lines) {
        if (line.text == "Your levels" || line.text == "Hill Run" || line.text == "plain" ||
            line.text.rfind("Level of the day", 0) == 0) {
            order.push_back(line.text.substr(0, 16) + (line.tone == hud_tone::title ? "!" : ""));
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Level of the day", "Your levels!", "Hill Run", "plain"}));
    EXPECT_EQ(shown.rows.size(), 5u);  // the heading is no row

    // Played from the list, it is won and keeps its time.
    press(d, {GLFW_KEY_DOWN, GLFW_KEY_DOWN, GLFW_KEY_DOWN, GLFW_KEY_ENTER, GLFW_KEY_SPACE});
    test::until_screen(d, "play");
    ASSERT_EQ(d.game().session()->level_path(), mine);
    d.hold(command::forward);
    d.frames(240, false);
    ASSERT_TRUE(d.state().won);
    d.game().open_level_list();
    const std::vector<level_list_row> rows = d.game().level_list();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_TRUE(rows[3].best_seconds.has_value());
    EXPECT_EQ(rows[3].wins, 1);
    EXPECT_FALSE(rows[4].best_seconds.has_value());
}

}  // namespace
}  // namespace quillomar
