// The level editor in the whole game, driven by its keys: what Ctrl+S leaves in the file, the
// play-test and Escape, and the level list's generated levels.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "authoring/generated_level_file.h"
#include "authoring/level_generator.h"
#include "framework/key_map.h"
#include "shell/edit_mode.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// Won by rolling one cell ahead; a header comment and CRLF line ends that a save must keep.
const char* const corridor = "# two rows\r\nstart 1 2\r\nfinish 1 0\r\npath\r\n111\r\n111\r\n111\r\n";

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void press(test::game_driver& d, int key, int mods = 0) {
    d.game().keys()->key_pressed(key, mods);
    d.frames(1, false);
}

bool shows(test::game_driver& d, const std::string& start) {
    const std::vector<hud_line> lines = d.game().editor()->hud_lines(768);
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

TEST(Editor, CtrlSSavesANewLevelAnUnchangedOneByteForByteAndUndoneRaisesAsTheOriginal) {
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
        {"same.txt", corridor, {}},
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
            EXPECT_EQ(contents(path), c.saved != nullptr ? c.saved : c.original) << c.name;
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
    EXPECT_EQ(d.game().level_list()[1].title.rfind("Random level (seed ", 0), 0u);
    const std::string day = d.game().level_list()[2].title;
    ASSERT_EQ(day.rfind("Level of the day (20", 0), 0u) << day;
    const std::uint64_t seed = std::stoull(day.substr(day.find('(') + 1));
    press(d, GLFW_KEY_DOWN);
    press(d, GLFW_KEY_DOWN);
    press(d, GLFW_KEY_ENTER);
    const std::string kept = generated_level_path((dir.path() / "data" / "quillomar").string(), seed);
    EXPECT_EQ(d.game().level_path, kept);
    EXPECT_EQ(contents(kept), generate_level(seed, level_size::medium));
    EXPECT_TRUE(d.state().has_level);

    press(d, GLFW_KEY_F6);
    ASSERT_EQ(d.game().screen_name(), "edit");
    EXPECT_EQ(d.game().editor()->session().path(), kept);
}

}  // namespace
}  // namespace quillomar
