// The player's language in the whole game: a German environment gives a German title menu, and
// the game started without the title menu keeps its own words whatever the environment says.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "game/words.h"
#include "render/frame_renderer.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

const char* const level = "start 1 2\nfinish 1 1\npath\n111\n111\n111\n";

// The environment asks for `lang` alone, with fresh settings and records.
struct environment {
    test::scratch_dir dir;
    explicit environment(const char* lang) {
        test::use_homes(dir);
        unsetenv("LANGUAGE");
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setenv("LANG", lang, 1);
    }
    ~environment() { use_language("en"); }
};

bool drawn(test::game_driver& d, const std::string& text) {
    const std::vector<hud_line>& lines = d.game().renderer()->drawn_lines;
    return std::any_of(lines.begin(), lines.end(),
                       [&](const hud_line& l) { return l.text == text; });
}

TEST(WordsGame, AGermanEnvironmentGivesAGermanTitleMenu) {
    const environment env("de_DE.UTF-8");
    test::game_driver d(level, false);
    d.start_from_menu();
    d.frames(1);
    ASSERT_EQ(d.game().screen_name(), "title");
    EXPECT_TRUE(test::hud_shows(d, "Einstellungen"));
    EXPECT_TRUE(test::hud_chosen(d, "Spielen"));
    EXPECT_FALSE(test::hud_shows(d, "Settings"));
    // The shipped levels' titles too.
    d.game().open_level_list();
    d.frames(2);
    EXPECT_TRUE(test::hud_shows(d, "Kristalle und Kippen"));
}

TEST(WordsGame, TheGameWithoutTheTitleMenuKeepsItsOwnWordsInAnyLanguage) {
    const environment env("de_DE.UTF-8");
    test::game_driver d(level);
    d.frames(3);
    EXPECT_TRUE(drawn(d, "Leben: 5"));
    EXPECT_TRUE(drawn(d, "Change: 0"));
    EXPECT_FALSE(drawn(d, "Lives: 5"));
    EXPECT_EQ(language_in_force(), "en");
}

}  // namespace
}  // namespace quillomar
