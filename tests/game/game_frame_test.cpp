// Start-up, drawn frames and the HUD of the whole game under Xvfb, read back from the framebuffer.
#include <GL/glew.h>
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

// One cube far away: the ball falls through an empty scene, which leaves the HUD corners dark.
const char* const far_level = "start 0 0\nfinish 9 9\npath\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n1\n";

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
    EXPECT_TRUE(driver.state().has_level);
}

TEST(GameStartup, WithoutASoundDeviceStartsSilently) {
    test::game_driver driver(small_level, false);
    driver.game().sound_device = "no such sound device";
    driver.startup();
    std::vector<std::string> expected = startup_lines("center point: 4, 2");
    const auto sound_done = std::find(expected.begin(), expected.end(),
                                      "sound stuff in quillomar_game.startup() done.");
    expected.insert(sound_done, "could not start sound engine!");
    EXPECT_EQ(driver.log_lines(), expected);
    driver.hold(command::music);
    driver.frames(2);
    EXPECT_TRUE(driver.state().music_on);
}

TEST(GameStartup, ShutdownLogsItsPairAndReleasesThePhysicsAndTheRenderer) {
    test::game_driver driver(small_level);
    driver.frame();
    driver.clear_log();
    driver.game().shutdown();
    EXPECT_EQ(driver.log_lines(), (std::vector<std::string>{"begin shutdown() in quillomar_game",
                                                            "end shutdown() in quillomar_game"}));
    EXPECT_EQ(driver.state().physics, nullptr);
    EXPECT_EQ(driver.game().renderer(), nullptr);
    driver.startup();
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

TEST(GameHud, ChangesLivesAndMessagesStandAtTheirPlacesForFiveSeconds) {
    test::game_driver driver(far_level);
    auto message_pixels = [] { return bright_pixels(8, 572, 400, 36); };
    driver.frame();
    // "Change: 0" has its baseline 50 px below the top and "Leben: 5" 100 px, from x = 8.
    EXPECT_GT(bright_pixels(8, 26, 150, 30), 100);
    EXPECT_GT(bright_pixels(8, 76, 150, 30), 100);
    // Nothing left of the text's start, nor in the empty band between the two lines.
    EXPECT_EQ(bright_pixels(0, 20, 6, 90), 0);
    EXPECT_EQ(bright_pixels(8, 58, 150, 12), 0);
    EXPECT_EQ(message_pixels(), 0);
    driver.hold(command::frame_time);
    driver.frame();
    driver.release(command::frame_time);
    EXPECT_GT(message_pixels(), 100);
    driver.time += 5.0;
    driver.frame();
    EXPECT_EQ(message_pixels(), 0);
}

TEST(GameHud, ThePictureFollowsAResizedFramebuffer) {
    test::game_driver driver(far_level);
    GLFWwindow* window = driver.game().window;
    glfwSetWindowSize(window, 800, 600);
    for (int i = 0; i < 50 && driver.game().width != 800; ++i) {
        glfwPollEvents();
        glfwGetFramebufferSize(window, &driver.game().width, &driver.game().height);
    }
    ASSERT_EQ(driver.game().height, 600);
    driver.frame();
    const glm::mat4& p = driver.state().projection;
    EXPECT_NEAR(p[1][1] / p[0][0], 800.0f / 600.0f, 1e-4f);
    // "Leben: 5" still starts 8 px from the left with its baseline 100 px below the top.
    std::vector<unsigned char> rgba(150 * 30 * 4);
    glReadPixels(8, 600 - 76 - 30, 150, 30, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    int bright = 0;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        bright += rgba[i] + rgba[i + 1] + rgba[i + 2] > 300 ? 1 : 0;
    }
    EXPECT_GT(bright, 100);
    glfwSetWindowSize(window, 1024, 768);
    for (int i = 0; i < 50; ++i) {
        glfwPollEvents();
        int w = 0;
        int h = 0;
        glfwGetFramebufferSize(window, &w, &h);
        if (w == 1024) {
            break;
        }
    }
}

TEST(GameHud, WithoutALevelTheScreenSaysSoInsteadOfAWin) {
    test::game_driver driver("start 0 0\nfinish 0 0\npath\n");
    driver.frames(3);
    EXPECT_FALSE(driver.state().won);
    // The end line stands 150 px below the top, from 60 px left of the centre.
    EXPECT_GT(bright_pixels(452, 126, 300, 30), 100);
}

}  // namespace
}  // namespace quillomar
