// Spiders walking around the platforms and their legs; collecting items and bringing them back.
#include <cstdlib>
#include <iterator>
#include <tuple>

#include "actors/item_pickup.h"
#include "actors/leg_animation.h"
#include "actors/level_actors.h"
#include "level/level.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

random_stream random;  // stroke times

const glm::vec3 minus_x(-1, 0, 0), plus_z(0, 0, 1), plus_x(1, 0, 0), minus_z(0, 0, -1);

// A cube at height `digit` for every digit in the rows; spiders placed as start-up places them.
level walking_level(const std::vector<std::string>& rows, const std::vector<glm::vec3>& spiders) {
    level lvl;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            lvl.cubes.emplace_back(2.0f * c, 2.0f * (rows[r][c] - '0'), 2.0f * r);
        }
    }
    lvl.enemies = spiders;
    place_enemies(lvl);
    lvl.enemies_walk = true;
    return lvl;
}

bool on_ground(const level& lvl, std::size_t k) {
    return lvl.height_at(lvl.enemies[k].x, lvl.enemies[k].z) == lvl.enemies[k].y + 0.6f;
}

TEST(actors_walk, circles_a_platform_a_unit_a_second_turning_in_place_at_every_edge) {
    level lvl = walking_level({"222", "222", "222"}, {{0, 0, 0}});
    // Where it turns: the probe lies 0.5 ahead of its cell going -x or -z, 2.5 beyond its corner
    // going +x or +z.
    const glm::vec3 turns[][2] = {{plus_z, {0, 0, 0}},
                                  {plus_x, {0, 0, 3.5f}},
                                  {minus_z, {3.5f, 0, 3.5f}},
                                  {minus_x, {3.5f, 0, 0.5f}},
                                  {plus_z, {0.5f, 0, 0.5f}}};
    std::size_t next = 0;
    for (int frame = 0; frame < 400 && next < std::size(turns); ++frame) {
        const glm::vec3 before = lvl.enemies[0], heading = lvl.headings[0];
        update_actors(lvl, 0.05, 0.0, random);
        const bool turned = lvl.headings[0] != heading;
        ASSERT_LT(glm::length(lvl.enemies[0] - before - (turned ? 0.0f : 0.05f) * heading), 1e-5f);
        ASSERT_TRUE(on_ground(lvl, 0)) << frame;
        if (turned) {
            EXPECT_EQ(lvl.headings[0], turns[next][0]) << next;
            EXPECT_LT(glm::distance(lvl.enemies[0] * glm::vec3(1, 0, 1), turns[next][1]), 0.08f);
            ++next;
        }
    }
    EXPECT_EQ(next, std::size(turns));
}

TEST(actors_walk, a_long_frame_keeps_every_spider_on_its_platform_and_legs_alone_move_on) {
    level lvl = walking_level({"222", "222", "222"}, {{2, 0, 0}, {0, 0, 2}, {4, 0, 4}, {2, 0, 4}});
    const std::vector<glm::vec3> placed = lvl.enemies;
    update_actors(lvl, 0.5, 0.0, random);
    for (std::size_t k = 0; k < placed.size(); ++k) {
        EXPECT_NE(lvl.enemies[k], placed[k]) << "every spider walks, " << k << " too";
    }
    for (int frame = 0; frame < 10; ++frame) {
        update_actors(lvl, frame % 2 == 0 ? 3.0 : -3.0, 0.0, random);  // a clock running back
                                                                      // walks none
        for (std::size_t k = 0; k < lvl.enemies.size(); ++k) {
            EXPECT_TRUE(on_ground(lvl, k) && lvl.enemies[k].y == 5.4f) << k << " in " << frame;
        }
    }
    const std::vector<glm::vec3> before = lvl.enemies;
    lvl.enemies_walk = false;
    update_actors(lvl, 0.5, 0.25, random);
    EXPECT_EQ(lvl.enemies, before);
    EXPECT_EQ(lvl.leg_offsets[0].y, 5.0f);
}

TEST(actors_legs, the_first_stroke_takes_half_a_second_and_all_stay_within_twice_the_amplitude) {
    level lvl;
    place_enemies(lvl);  // a level without spiders still animates the legs
    EXPECT_EQ(lvl.leg_amplitudes, (std::vector<float>{5, 5, 4, 4, 5, 5, 6, 6}));
    EXPECT_EQ(lvl.leg_offsets.size() + lvl.leg_moving.size() + lvl.leg_durations.size(), 3u * 8);
    for (const double time : {50.0, 50.25, 50.5}) {
        update_actors(lvl, 0.0, time, random);
        for (std::size_t l = 0; l < 8; ++l) {
            const float swing = static_cast<float>(time - 50.0) * 4.0f * lvl.leg_amplitudes[l];
            EXPECT_EQ(lvl.leg_offsets[l], glm::vec3(0, swing, 0)) << l << " at " << time;
            EXPECT_EQ(lvl.leg_moving[l], time < 50.5) << l << " at " << time;
        }
    }
    for (int frame = 1; frame < 3000; ++frame) {
        update_actors(lvl, 0.016, 50.6 + frame * 0.016, random);
        for (std::size_t l = 0; l < 8; ++l) {
            const float y = lvl.leg_offsets[l].y;
            const double d = lvl.leg_durations[l];
            ASSERT_TRUE(y >= -1e-4f && y <= 2.0f * lvl.leg_amplitudes[l] + 1e-4f) << y;
            ASSERT_TRUE(d >= 0.3 - 1e-6 && d <= 0.7 + 1e-6) << d;
        }
    }
}

TEST(actors_pickup, items_within_three_by_two_are_taken_in_order_silently_and_come_back) {
    const glm::vec3 cell(2, 4, 2), far(50, 4, 0);
    level lvl;
    lvl.items = {cell, cell, far, cell};
    test::stream_capture capture;
    EXPECT_EQ(pick_up_items(lvl, cell), (std::vector<glm::vec3>{cell, cell}));  // first and last
    EXPECT_EQ(lvl.items, (std::vector<glm::vec3>{cell, far}));  // a follower waits a frame
    EXPECT_EQ(pick_up_items(lvl, cell), std::vector<glm::vec3>{cell});
    EXPECT_EQ(capture.text(), "");
    lvl.cubes = {{0, 2, 0}};
    lvl.items = lvl.initial_items = {{0, 0, 0}, {2, 0, 2}, {6, 0, 6}};
    lvl.place_items();
    pick_up_items(lvl, {0, 4, 0});
    lvl.items[0].y = 99.0f;  // as if a flip had moved it
    lvl.restore_items();
    EXPECT_EQ(lvl.items, (std::vector<glm::vec3>{{0, 4, 0}, {2, 4, 2}, {6, -22, 6}}));
    EXPECT_EQ(lvl.initial_items, lvl.items);
}

TEST(actors_pickup, items_are_taken_within_three_by_two_and_spiders_touch_within_four_by_two) {
    const glm::vec3 ball(10, 4, 10);
    // Each offset is tried as given and mirrored.
    const std::tuple<glm::vec3, bool, bool> cases[] = {
        {{1.4f, 0.9f, -1.4f}, true, true}, {{1.5f, 0, 0}, false, true},
        {{0, 0, 1.5f}, false, true},       {{1.9f, 0.9f, -1.9f}, false, true},
        {{2, 0, 0}, false, false},         {{0, 0, 2}, false, false},
        {{0, 1, 0}, false, false}};
    for (const auto& [offset, taken, touches] : cases) {
        for (const glm::vec3& p : {ball + offset, ball - offset}) {
            level lvl;
            lvl.enemies = {glm::vec3(0), p};
            EXPECT_EQ(in_pickup_box(p, ball), taken) << p.x << ", " << p.y << ", " << p.z;
            EXPECT_EQ(enemy_touches(lvl, ball), touches) << p.x << ", " << p.y << ", " << p.z;
        }
    }
}

}  // namespace
}  // namespace quillomar
