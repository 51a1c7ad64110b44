// The rectangle of the picture the item burst can reach, for a camera at the origin looking down
// -z with a 90-degree view on a 100 x 100 picture: a particle 10 units ahead spans a tenth of its
// size in normalized coordinates either way.
#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>
#include <vector>

#include "particles/burst_footprint.h"

namespace quillomar {
namespace {

struct placed {
    glm::vec3 centre;
    float size;
};

TEST(burst_footprint, holds_every_drawn_square_and_no_more) {
    const glm::mat4 projection = glm::perspective(glm::radians(90.0f), 1.0f, 0.1f, 100.0f);
    const glm::mat4 view(1.0f);
    const placed middle{{0, 0, -10}, 2};
    const struct {
        const char* what;
        std::vector<placed> burst;
        float nearest;
        int margin;
        pixel_rect expected;
    } cases[] = {
        {"one square, rounded outwards", {middle}, 0.0f, 0, {42, 42, 58, 58}},
        {"grown by the margin", {middle}, 0.0f, 3, {39, 39, 61, 61}},
        {"two squares: both", {middle, {{3, -2, -10}, 1}}, 0.0f, 0, {42, 36, 69, 58}},
        {"one too near to be drawn counts for nothing", {middle, {{0, 0, -1}, 1}}, 2.0f, 0,
         {42, 42, 58, 58}},
        {"a near one drawn spans far more", {middle, {{0, 0, -1}, 1}}, 0.5f, 0, {14, 14, 86, 86}},
        {"behind the eye: anything", {{{0, 0, 0.5f}, 1}}, 0.0f, 0, {0, 0, 100, 100}},
        {"reaching behind the eye: anything", {{{0, 0, -0.5f}, 2}}, 0.0f, 0, {0, 0, 100, 100}},
        {"beside the picture: nothing", {{{100, 0, -10}, 1}}, 0.0f, 0, {}},
        {"beside the eye, out of view: nothing", {middle, {{3, 0, -0.5f}, 2}}, 0.0f, 0,
         {42, 42, 58, 58}},
        {"just reaching into view from beside the eye: anything", {{{1.9f, 0, -0.5f}, 2}}, 0.0f,
         0, {0, 0, 100, 100}},
        {"kept inside the picture", {{{-9.5f, 0, -10}, 1}}, 0.0f, 5, {0, 41, 12, 59}},
    };
    for (const auto& c : cases) {
        particle_system particles;
        particles.make_room();
        particles.count = static_cast<int>(c.burst.size());
        for (std::size_t i = 0; i < c.burst.size(); ++i) {
            particles.positions[i] = c.burst[i].centre;
            particles.sizes[i] = c.burst[i].size;
        }
        const pixel_rect r =
            burst_footprint(particles, projection, view, c.nearest, {100, 100}, c.margin);
        EXPECT_EQ(glm::ivec4(r.x0, r.y0, r.x1, r.y1),
                  glm::ivec4(c.expected.x0, c.expected.y0, c.expected.x1, c.expected.y1))
            << c.what;
    }
    particle_system none;
    EXPECT_TRUE(burst_footprint(none, projection, view, 0.0f, {100, 100}, 4).empty());
    EXPECT_TRUE((pixel_rect{100, 46, 100, 54}.empty()));
    EXPECT_FALSE((pixel_rect{0, 0, 1, 1}.empty()));
}

}  // namespace
}  // namespace quillomar
