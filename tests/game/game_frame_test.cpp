// Start-up, drawn frames, the HUD, shadows and the projected start mark of the whole game under
// Xvfb, read back from the framebuffer.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <vector>

#include "camera/camera_math.h"
#include "render/frame_renderer.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

const char* const small_level =
    "# a comment line\nstart 1 1\nfinish 3 1\nenemy 0 0\nitem 2 1\n"
    "path\n1111\n1211\n";

// One cube far away: the ball falls through an empty scene, which leaves the HUD corners dark.
const std::string far_level = "start 0 0\nfinish 9 9\npath\n" + std::string(60, '\n') + "1\n";

TEST(GameStartup, LogsEveryStepInOrderWithOrWithoutSoundAndShutdownReleasesAll) {
    for (const bool sound : {true, false}) {
        test::game_driver driver(small_level, false);
        driver.game().sound_device = sound ? "" : "no such sound device";
        driver.game().startup();
        const std::string in = " in quillomar_game.startup() ";
        std::vector<std::string> expected = {"begin startup() in quillomar_game",
                                             "Parse level" + in + "...", "path is starting",
                                             "center point: 4, 2"};
        for (const char* part : {"cube", "item", "enemy"}) {
            expected.push_back("initialize " + std::string(part) + in + "...");
            expected.push_back("initialize " + std::string(part) + in + "done.");
        }
        expected.push_back("Parse level" + in + "done.");
        for (const char* part : {"orbel", "cameras"}) {
            expected.push_back("initialize " + std::string(part) + in + "...");
            expected.push_back("initialize " + std::string(part) + in + "done.");
        }
        for (const char* part : {"openGL", "bullet", "shadow mapping", "projected texture"}) {
            expected.push_back("do " + std::string(part) + " stuff" + in + "...");
            if (part == std::string("shadow mapping")) {
                expected.push_back("FBO setup successful.");
                expected.push_back("Filtering FBO setup successful.");
            }
            expected.push_back(std::string(part) + " stuff" + in + "done.");
        }
        expected.insert(expected.end(),
                        {"text stuff" + in + "...", "font loaded!", "finished loading",
                         "text stuff" + in + "done.", "sound stuff" + in + "..."});
        if (!sound) {
            expected.push_back("could not start sound engine!");
        }
        expected.insert(expected.end(),
                        {"sound stuff" + in + "done.", "end startup() in quillomar_game"});
        EXPECT_EQ(driver.log_lines(), expected);
        EXPECT_TRUE(driver.state().has_level);
        driver.hold(command::music);  // silent or not, the game plays on
        driver.frames(2);
        EXPECT_TRUE(driver.state().music_on);
        driver.clear_log();
        driver.game().shutdown();
        EXPECT_EQ(driver.log_lines(),
                  (std::vector<std::string>{"begin shutdown() in quillomar_game",
                                            "end shutdown() in quillomar_game"}));
        EXPECT_EQ(driver.state().physics, nullptr);
        EXPECT_EQ(driver.game().renderer(), nullptr);
    }
}

// Counts the pixels of a back-buffer rectangle (from the bottom-left corner) that pass `test`.
template <typename F>
int count_pixels(int x, int y, int width, int height, F test) {
    std::vector<unsigned char> rgba(static_cast<std::size_t>(width * height * 4));
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    int count = 0;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        count += test(&rgba[i]) ? 1 : 0;
    }
    return count;
}

// The bright pixels of a region given in pixels from the top-left corner.
int bright_pixels(int left, int top, int width, int height, int window_height = 768) {
    return count_pixels(left, window_height - top - height, width, height,
                        [](const unsigned char* p) { return p[0] + p[1] + p[2] > 300; });
}

TEST(GameHud, ChangesLivesAndMessagesStandAtTheirPlacesForFiveSeconds) {
    test::game_driver driver(far_level);
    auto message_pixels = [] { return bright_pixels(8, 572, 400, 36); };
    driver.frames();
    // "Change: 0" has its baseline 50 px below the top and "Leben: 5" 100 px, from x = 8.
    EXPECT_GT(bright_pixels(8, 26, 150, 30), 100);
    EXPECT_GT(bright_pixels(8, 76, 150, 30), 100);
    // Nothing left of the text's start, nor in the empty band between the two lines.
    EXPECT_EQ(bright_pixels(0, 20, 6, 90), 0);
    EXPECT_EQ(bright_pixels(8, 58, 150, 12), 0);
    EXPECT_EQ(message_pixels(), 0);
    driver.hold(command::frame_time);
    driver.frames();
    driver.release(command::frame_time);
    EXPECT_GT(message_pixels(), 100);
    driver.frames(5 * 60, false);
    driver.frames();
    EXPECT_EQ(message_pixels(), 0);
}

TEST(GameHud, ThePictureFollowsAResizedFramebuffer) {
    test::game_driver driver(far_level);
    GLFWwindow* window = driver.game().window;
    for (const auto& [width, height] : {std::pair{800, 500}, std::pair{1024, 768}}) {
        glfwSetWindowSize(window, width, height);
        for (int i = 0; i < 50 && driver.game().width != width; ++i) {
            glfwPollEvents();
            glfwGetFramebufferSize(window, &driver.game().width, &driver.game().height);
        }
        ASSERT_EQ(driver.game().height, height);
        driver.frames();
        const glm::mat4& p = driver.state().projection;
        EXPECT_NEAR(p[1][1] / p[0][0], static_cast<float>(width) / height, 1e-4f);
        // "Leben: 5" still starts 8 px from the left with its baseline 100 px below the top.
        EXPECT_GT(bright_pixels(8, 76, 150, 30, height), 100);
    }
}

TEST(GameHud, WithoutALevelTheScreenSaysSoInsteadOfAWin) {
    test::game_driver driver("start 0 0\nfinish 0 0\npath\n");
    driver.frames(3);
    EXPECT_FALSE(driver.state().won);
    // The end line stands 150 px below the top, from 60 px left of the centre.
    EXPECT_GT(bright_pixels(452, 126, 300, 30), 100);
}

// Level-1 floor (tops at y = 3) with one level-2 cube three cells east of the start.
const char* const shadow_level =
    "start 4 4\nfinish 30 30\npath\n111111111\n111111111\n111111111\n111111111\n111111121\n"
    "111111111\n111111111\n111111111\n111111111\n";

// The mean brightness (r + g + b) of a 9 x 9 pixel patch around where the world point lands.
float brightness_at(const game_state& g, const glm::vec3& world) {
    const glm::vec4 clip = g.projection * g.view * glm::vec4(world, 1.0f);
    float sum = 0;
    count_pixels(
        static_cast<int>((clip.x / clip.w + 1.0f) * 512.0f) - 4,
        static_cast<int>((clip.y / clip.w + 1.0f) * 384.0f) - 4, 9, 9,
        [&sum](const unsigned char* p) { return (sum += (p[0] + p[1] + p[2]) / 81.0f) < 0; });
    return sum;
}

// Pixels where green clearly leads: the start mark's frame and flag, never the sandstone.
int green_pixels() {
    return count_pixels(0, 0, 1024, 768, [](const unsigned char* p) {
        return p[1] > p[0] + 40 && p[1] > p[2] + 40;
    });
}

// Looks from the free camera at `eye`.
void look(game_state& g, const glm::vec3& eye, const glm::vec3& target) {
    g.use_follow_camera = false;
    g.free_camera.position = eye;
    g.free_camera.front = glm::normalize(target - eye);
    g.free_camera.view = look_at(eye, target, glm::vec3(0, 1, 0));
}

TEST(GameEffects, TheBallShadowsTheCubeTopCubesCastNoneAndTheStartMarkLiesOnTheStartCubes) {
    test::game_driver driver(shadow_level);
    game_state& g = driver.state();
    driver.frames(6 * 60, false);  // the ball comes to rest
    ASSERT_NEAR(g.ball.position.y, 4.0f, 0.05f);
    g.won = true;  // a won game no longer updates: the scene stands still
    look(g, {8.0f, 14.0f, 16.0f}, {8.0f, 3.0f, 8.0f});
    driver.frames();
    const int with_mark = green_pixels();
    EXPECT_GT(with_mark, 2000);

    // A low light east of the ball, looking at it; no projector mark nearby. The ball's shadow
    // falls 1.5 units west of it; the raised cube east of the ball would shadow the floor in
    // front of it if cubes cast shadows.
    look(g, {0.0f, 12.0f, 8.0f}, {7.0f, 3.0f, 8.0f});
    g.light.position = glm::vec3(20.0f, 12.0f, 8.0f);
    g.level.centre = g.ball.position;
    g.level.start = g.level.finish = glm::vec2(200.0f, 200.0f);
    driver.frames(2);
    const float open_floor = brightness_at(g, {8.0f, 3.0f, 12.5f});
    EXPECT_LT(brightness_at(g, {6.5f, 3.0f, 8.0f}), 0.75f * open_floor);
    EXPECT_GT(brightness_at(g, {11.5f, 3.0f, 8.0f}), 0.85f * open_floor);
    // The shadow pass over every caster's footprint draws the very same picture as the pass
    // narrowed to what the view reads (which, far from the ball, has nothing to draw).
    const auto picture = [] {
        std::vector<unsigned char> rgba(1024 * 768 * 4);
        glReadPixels(0, 0, 1024, 768, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    };
    // Also from above the shadow's far end, with the ball out of the view.
    const glm::vec3 views[][2] = {{{0, 12, 8}, {7, 3, 8}}, {{30, 6, 30}, {7, 3, 8}},
                                  {{3, 6, 8}, {3.5f, 3, 8.01f}}};
    for (const auto& [eye, target] : views) {
        look(g, eye, target);
        driver.frames(2);  // the drawn pose reaches the new view
        driver.game().renderer()->shadows_where_seen = true;
        driver.frames();
        const std::vector<unsigned char> narrowed = picture();
        driver.game().renderer()->shadows_where_seen = false;
        driver.frames();
        EXPECT_TRUE(picture() == narrowed) << eye.x;
    }
    // Moved over empty space, the start projector sees no cube and the mark is gone.
    look(g, {8.0f, 14.0f, 16.0f}, {8.0f, 3.0f, 8.0f});
    driver.frames();
    EXPECT_LT(green_pixels(), with_mark / 20);
}

}  // namespace
}  // namespace quillomar
