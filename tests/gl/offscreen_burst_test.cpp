// The burst drawn off screen at a fraction of the pixels against the same burst blended straight
// into the frame: what a cube in front hides, what the burst looks like elsewhere, and the state
// it leaves.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_precision.hpp>
#include <vector>

#include "common/random_stream.h"
#include "particles/particle_system.h"
#include "render/offscreen_burst.h"
#include "render/particle_renderer.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

constexpr int width = 1024;
constexpr int height = 768;
const glm::vec3 eye(0.0f, 1.0f, 6.0f);
const glm::mat4 view = glm::lookAt(eye, glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
const glm::mat4 vp = glm::perspective(0.8f, 4.0f / 3.0f, 0.1f, 100.0f) * view;
// Left of this column a "cube" stands right before the eye: depth 0, green.
constexpr int cube_edge = 480;
const glm::ivec3 sky(0, 0, 153);
const glm::ivec3 cube(0, 204, 0);

std::vector<glm::u8vec4> picture() {
    std::vector<glm::u8vec4> rgba(width * height);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

// Blue far away, the green cube on the left, and the state the game draws the burst in.
void draw_scene(bool blended, glm::ivec2 viewport) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.6f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, cube_edge, height);
    glClearColor(0.0f, 0.8f, 0.0f, 1.0f);
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearDepth(1.0);
    glViewport(0, 0, viewport.x, viewport.y);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    if (blended) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
}

class offscreen_burst_test : public test::gl_test {};

TEST_F(offscreen_burst_test, looks_like_the_burst_blended_in_place_and_hides_behind_the_cube) {
    particle_system particles;
    random_stream random;
    for (int frame = 0; frame < 20; ++frame) {
        particles.emit(0.016f, glm::vec3(0), random);
        particles.simulate(0.016f, eye);
    }
    test::stream_capture console;
    particle_renderer drawer;
    offscreen_burst burst;
    const struct {
        bool blended;
        glm::ivec2 viewport;
        int most_mean_difference;  // in 1/100 of a level, over the pixels either picture changed
    } cases[] = {{true, {width, height}, 300}, {false, {width, height}, 500},
                 {true, {width - 23, height - 17}, 300}};
    for (const auto& c : cases) {
        draw_scene(c.blended, c.viewport);
        drawer.draw(particles, view, vp);
        const std::vector<glm::u8vec4> direct = picture();
        draw_scene(c.blended, c.viewport);
        burst.draw(drawer, particles, view, vp, c.blended);
        EXPECT_EQ(glIsEnabled(GL_BLEND), c.blended ? GL_TRUE : GL_FALSE);
        GLint viewport[4] = {};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(glm::ivec2(viewport[2], viewport[3]), c.viewport);
        GLint blend_source = 0;
        glGetIntegerv(GL_BLEND_SRC_ALPHA, &blend_source);
        EXPECT_EQ(blend_source, GL_SRC_ALPHA) << "as the scene left it";
        const std::vector<glm::u8vec4> offscreen = picture();

        long difference = 0;
        int changed = 0, changed_direct = 0, leaked = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const glm::ivec3 a(direct[y * width + x]);
                const glm::ivec3 b(offscreen[y * width + x]);
                const glm::ivec3 scene = x < cube_edge ? cube : sky;
                if (x < cube_edge) {
                    // Up to two target pixels beside the edge may blend in what lies beyond it.
                    leaked += x < cube_edge - 4 && b != cube ? 1 : 0;
                    continue;
                }
                changed_direct += a != scene ? 1 : 0;
                if (a != scene || b != scene) {
                    ++changed;
                    difference += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
                }
            }
        }
        EXPECT_EQ(leaked, 0) << "no particle shows through the cube";
        EXPECT_GT(changed_direct, 2000);
        EXPECT_LT(changed, changed_direct * 5 / 4) << "the burst covers what it covered";
        EXPECT_LT(difference * 100 / (3 * changed), c.most_mean_difference);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(console.text(), "");
    EXPECT_GT(burst.target_bytes(), 0u);
    burst.release_targets();
    EXPECT_EQ(burst.target_bytes(), 0u);
}

}  // namespace
}  // namespace quillomar
