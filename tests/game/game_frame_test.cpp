// Start-up, drawn frames and the HUD of the whole game under Xvfb, read back from the framebuffer.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

const char* const small_level = R"(# a comment line
start 1 1
finish 3 1
enemy 0 0
item 2 1
path
1111
1211
)";

// No cubes: the ball falls through an empty scene, which leaves the HUD corners dark.
const char* const empty_level = "start 0 0\nfinish 9 9\npath\n";

std::vector<std::string> startup_lines(const std::string& center_line) {
    return {
        "begin startup() in quillomar_game",
        "Parse level in quillomar_game.startup() ...",
        "path is starting",
        center_line,
        "initialize cube in quillomar_game.startup() ...",
        "initialize cube in quillomar_game.startup() done.",
        "initialize item in quillomar_game.startup() ...",
        "initialize item in quillomar_game.startup() done.",
        "initialize enemy in quillomar_game.startup() ...",
        "initialize enemy in quillomar_game.startup() done.",
        "Parse level in quillomar_game.startup() done.",
        "initialize orbel in quillomar_game.startup() ...",
        "initialize orbel in quillomar_game.startup() done.",
        "initialize cameras in quillomar_game.startup() ...",
        "initialize cameras in quillomar_game.startup() done.",
        "do openGL stuff in quillomar_game.startup() ...",
        "openGL stuff in quillomar_game.startup() done.",
        "do bullet stuff in quillomar_game.startup() ...",
        "bullet stuff in quillomar_game.startup() done.",
        "do shadow mapping stuff in quillomar_game.startup() ...",
        "FBO setup successful.",
        "Filtering FBO setup successful.",
        "shadow mapping stuff in quillomar_game.startup() done.",
        "do projected texture stuff in quillomar_game.startup() ...",
        "projected texture stuff in quillomar_game.startup() done.",
        "text stuff in quillomar_game.startup() ...",
        "font loaded!",
        "finished loading",
        "text stuff in quillomar_game.startup() done.",
        "sound stuff in quillomar_game.startup() ...",
        "sound stuff in quillomar_game.startup() done.",
        "end startup() in quillomar_game",
    };
}

TEST(GameStartup, LogsEveryStepInOrderWithTheRealAssets) {
    test::game_driver driver(small_level, false);
    driver.startup();
    EXPECT_EQ(driver.log_lines(), startup_lines("center point: 4, 2"));
    quillomar_game& g = driver.game();
    EXPECT_EQ(g.lives, 5);
    EXPECT_EQ(g.change_count, 0);
    EXPECT_TRUE(g.level.culling);
    EXPECT_TRUE(g.level.enemies_walk);
    EXPECT_EQ(g.cube_bodies.size(), g.level.cubes.size());
    EXPECT_NE(g.sound_engine, nullptr);
}

TEST(GameStartup, WithoutASoundDeviceStartsSilentlyAndSoundKeysDoNothing) {
    test::game_driver driver(small_level, false);
    driver.game().sound_device = "no such sound device";
    driver.startup();
    std::vector<std::string> expected = startup_lines("center point: 4, 2");
    const auto sound_done = std::find(expected.begin(), expected.end(),
                                      "sound stuff in quillomar_game.startup() done.");
    expected.insert(sound_done, "could not start sound engine!");
    EXPECT_EQ(driver.log_lines(), expected);
    quillomar_game& g = driver.game();
    EXPECT_EQ(g.sound_engine, nullptr);
    driver.tap(GLFW_KEY_M);
    EXPECT_TRUE(g.music_on);
    g.won = true;
    driver.steps(3);
    EXPECT_TRUE(g.win_sound_played);
}

TEST(GameSound, MusicLoopsUntilMAgainAndTheWinSoundStartsOnce) {
    test::game_driver driver(small_level);
    quillomar_game& g = driver.game();
    ASSERT_NE(g.sound_engine, nullptr) << "ALSOFT_DRIVERS=null gives a silent device";
    driver.tap(GLFW_KEY_M);
    EXPECT_TRUE(g.music_on);
    EXPECT_EQ(g.sound_engine->playing_count(), 1);
    driver.tap(GLFW_KEY_M);
    EXPECT_FALSE(g.music_on);
    EXPECT_EQ(g.sound_engine->playing_count(), 0);
    g.won = true;
    driver.steps(5);
    EXPECT_EQ(g.sound_engine->playing_count(), 1);
    EXPECT_TRUE(g.win_sound_played);
}

TEST(GameStartup, ShutdownLogsItsPairAndReleasesThePhysics) {
    auto driver = std::make_unique<test::game_driver>(small_level);
    driver->clear_log();
    driver->game().shutdown();
    EXPECT_EQ(driver->log_lines(), (std::vector<std::string>{"begin shutdown() in quillomar_game",
                                                             "end shutdown() in quillomar_game"}));
    EXPECT_EQ(driver->game().dynamics_world, nullptr);
    EXPECT_TRUE(driver->game().cube_bodies.empty());
}

// Counts the bright pixels of a window region given in pixels from the top-left corner.
int bright_pixels(int left, int top, int width, int height) {
    std::vector<unsigned char> rgba(static_cast<std::size_t>(width * height * 4));
    glReadBuffer(GL_BACK);
    glReadPixels(left, 768 - top - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    int count = 0;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        if (rgba[i] + rgba[i + 1] + rgba[i + 2] > 300) {
            ++count;
        }
    }
    return count;
}

TEST(GameHud, FirstFrameDrawsChangesAndLivesAtTheirPlaces) {
    test::game_driver driver(empty_level);
    driver.frame();
    // "Change: 0" has its baseline 50 px below the top and "Leben: 5" 100 px, from x = 8.
    EXPECT_GT(bright_pixels(8, 26, 150, 30), 100);
    EXPECT_GT(bright_pixels(8, 76, 150, 30), 100);
    // Nothing left of the text's start, nor in the empty band between the two lines.
    EXPECT_EQ(bright_pixels(0, 20, 6, 90), 0);
    EXPECT_EQ(bright_pixels(8, 58, 150, 12), 0);
}

TEST(GameHud, MessagesDisappearTogetherFiveSecondsAfterTheFirst) {
    test::game_driver driver(empty_level);
    auto message_pixels = [] { return bright_pixels(8, 572, 400, 36); };
    driver.frame();
    EXPECT_EQ(message_pixels(), 0);
    driver.tap(GLFW_KEY_F2);
    driver.frame();
    EXPECT_GT(message_pixels(), 100);
    driver.time += 4.0;
    driver.tap(GLFW_KEY_F9);
    driver.frame();
    EXPECT_EQ(driver.game().message, "Transparency off.");
    EXPECT_GT(message_pixels(), 100);
    driver.time += 1.0;
    driver.frame();
    EXPECT_EQ(message_pixels(), 0);
    EXPECT_FALSE(driver.game().message_visible);
}

}  // namespace
}  // namespace quillomar
