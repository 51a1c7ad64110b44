// Shadows and the projected start mark in the running game, read back from the framebuffer.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include "camera/camera_math.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// Level-1 floor (tops at y = 3) with one level-2 cube three cells east of the start.
const char* const shadow_level = R"(start 4 4
finish 30 30
path
111111111
111111111
111111111
111111111
111111121
111111111
111111111
111111111
111111111
)";

struct rgb {
    float r = 0;
    float g = 0;
    float b = 0;
    float brightness() const { return r + g + b; }
};

// The mean colour of a 9 x 9 pixel patch around where the world point lands on screen.
rgb patch_at(const game_state& g, const glm::vec3& world) {
    const glm::vec4 clip = g.projection * g.view * glm::vec4(world, 1.0f);
    const glm::vec3 ndc = glm::vec3(clip) / clip.w;
    const int x = static_cast<int>((ndc.x + 1.0f) * 0.5f * 1024.0f);
    const int y = static_cast<int>((ndc.y + 1.0f) * 0.5f * 768.0f);
    unsigned char pixels[9 * 9 * 4];
    glReadBuffer(GL_BACK);
    glReadPixels(x - 4, y - 4, 9, 9, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    rgb mean;
    for (int i = 0; i < 81; ++i) {
        mean.r += pixels[i * 4] / 81.0f;
        mean.g += pixels[i * 4 + 1] / 81.0f;
        mean.b += pixels[i * 4 + 2] / 81.0f;
    }
    return mean;
}

// Lets the ball come to rest, then freezes the game (a won game no longer updates) and looks
// from the free camera at `eye`.
void settle_and_look(test::game_driver& driver, const glm::vec3& eye, const glm::vec3& target) {
    game_state& g = driver.state();
    driver.steps(6 * 60);
    g.won = true;
    g.use_follow_camera = false;
    g.free_camera.position = eye;
    g.free_camera.front = glm::normalize(target - eye);
    g.free_camera.view = look_at(eye, target, glm::vec3(0, 1, 0));
}

TEST(GameShadows, TheBallShadowsTheCubeTopAndCubesCastNone) {
    test::game_driver driver(shadow_level);
    game_state& g = driver.state();
    settle_and_look(driver, {0.0f, 12.0f, 8.0f}, {7.0f, 3.0f, 8.0f});
    ASSERT_NEAR(g.ball.position.y, 4.0f, 0.05f);
    // A low light east of the ball, looking at it; no projector mark nearby.
    g.light.position = glm::vec3(20.0f, 12.0f, 8.0f);
    g.level.centre = g.ball.position;
    g.level.start = glm::vec2(200.0f, 200.0f);
    g.level.finish = glm::vec2(200.0f, 200.0f);
    driver.frame();
    driver.frame();

    // The ball's shadow falls 1.5 units west of it; the raised cube east of the ball would
    // shadow the floor in front of it if cubes cast shadows.
    const rgb under_ball = patch_at(g, {6.5f, 3.0f, 8.0f});
    const rgb before_cube = patch_at(g, {11.5f, 3.0f, 8.0f});
    const rgb open_floor = patch_at(g, {8.0f, 3.0f, 12.5f});
    EXPECT_LT(under_ball.brightness(), 0.75f * open_floor.brightness());
    EXPECT_GT(before_cube.brightness(), 0.85f * open_floor.brightness());
}

// Pixels where green clearly leads: the start mark's frame and flag, never the sandstone.
int green_pixels() {
    std::vector<unsigned char> pixels(1024 * 768 * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 1024, 768, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    int count = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        if (pixels[i + 1] > pixels[i] + 40 && pixels[i + 1] > pixels[i + 2] + 40) {
            ++count;
        }
    }
    return count;
}

TEST(GameProjectors, TheStartMarkLiesOnTheStartCubes) {
    test::game_driver driver(shadow_level);
    game_state& g = driver.state();
    settle_and_look(driver, {8.0f, 14.0f, 16.0f}, {8.0f, 3.0f, 8.0f});
    driver.frame();
    const int with_mark = green_pixels();
    EXPECT_GT(with_mark, 2000);

    // Moved over empty space, the start projector sees no cube and the mark is gone.
    g.level.start = glm::vec2(200.0f, 200.0f);
    driver.frame();
    EXPECT_LT(green_pixels(), with_mark / 20);
}

}  // namespace
}  // namespace quillomar
