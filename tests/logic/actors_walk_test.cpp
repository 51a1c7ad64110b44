// Spiders walking around the platforms, their legs, and the spider contact box.
#include <cstdlib>

#include "actors/enemy_walk.h"
#include "actors/item_pickup.h"
#include "actors/leg_animation.h"
#include "framework/seams.h"
#include "level/level.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

const glm::vec3 minus_x(-1.0f, 0.0f, 0.0f);
const glm::vec3 plus_z(0.0f, 0.0f, 1.0f);
const glm::vec3 plus_x(1.0f, 0.0f, 0.0f);
const glm::vec3 minus_z(0.0f, 0.0f, -1.0f);

// A level with cubes at height `digit` for every digit in the rows, and one spider placed the way
// start-up places it.
level walking_level(const std::vector<std::string>& rows, glm::vec3 spider) {
    level lvl;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            if (rows[r][c] >= '1' && rows[r][c] <= '9') {
                lvl.cubes.emplace_back(2.0f * c, 2.0f * (rows[r][c] - '0'), 2.0f * r);
            }
        }
    }
    lvl.enemies = {spider};
    lvl.place_enemies();
    lvl.enemies_walk = true;
    return lvl;
}

class actors_walk : public ::testing::Test {
protected:
    void SetUp() override {
        set_clock([this] { return clock; });
    }
    void TearDown() override { set_clock({}); }
    double clock = 0.0;
};

TEST_F(actors_walk, moves_one_unit_per_second_along_its_heading) {
    level lvl = walking_level({"11111111"}, {8.0f, 0.0f, 0.0f});
    lvl.update_actors(0.25);
    EXPECT_EQ(lvl.enemies[0], glm::vec3(7.75f, 3.4f, 0.0f));
    lvl.update_actors(0.25);
    EXPECT_EQ(lvl.enemies[0].x, 7.5f);
    EXPECT_EQ(lvl.headings[0], minus_x);
}

TEST_F(actors_walk, circles_a_platform_turning_at_every_edge) {
    // A 3 × 3 platform; the spider starts at its low-x, low-z corner, heading −x.
    level lvl = walking_level({"222", "222", "222"}, {0.0f, 0.0f, 0.0f});
    const auto steps = [&lvl](int n) {
        for (int i = 0; i < n; ++i) {
            lvl.update_actors(2.0);
        }
    };
    // Blocked ahead: it turns in place, without moving in that frame.
    steps(1);
    EXPECT_EQ(lvl.headings[0], plus_z);
    EXPECT_EQ(lvl.enemies[0], glm::vec3(0.0f, 5.4f, 0.0f));
    // In +z the probe lies 2.5 beyond the corner: it walks up to the far row's cell.
    steps(2);
    EXPECT_EQ(lvl.enemies[0].z, 4.0f);
    steps(1);
    EXPECT_EQ(lvl.headings[0], plus_x);
    EXPECT_EQ(lvl.enemies[0].z, 4.0f);
    steps(3);
    EXPECT_EQ(lvl.headings[0], minus_z);
    EXPECT_EQ(lvl.enemies[0].x, 4.0f);
    steps(3);
    EXPECT_EQ(lvl.headings[0], minus_x);
    EXPECT_EQ(lvl.enemies[0], glm::vec3(4.0f, 5.4f, 0.0f));
    steps(2);
    EXPECT_EQ(lvl.enemies[0].x, 0.0f);
    steps(1);
    EXPECT_EQ(lvl.headings[0], plus_z);
    EXPECT_EQ(lvl.enemies[0], glm::vec3(0.0f, 5.4f, 0.0f));
}

TEST_F(actors_walk, a_step_up_or_down_or_no_cube_turns_the_spider) {
    // The spider stands inside the cell at height 2 (top 6): −x is a step up, +z a step down,
    // +x has no cube.
    level lvl = walking_level({"32", "21"}, {2.5f, 0.0f, 0.5f});
    EXPECT_EQ(lvl.enemies[0].y, 5.4f);
    lvl.update_actors(0.5);
    EXPECT_EQ(lvl.headings[0], plus_z);
    lvl.update_actors(0.5);
    EXPECT_EQ(lvl.headings[0], plus_x);
    lvl.update_actors(0.5);
    EXPECT_EQ(lvl.headings[0], minus_z);
    EXPECT_EQ(lvl.enemies[0], glm::vec3(2.5f, 5.4f, 0.5f));
    lvl.update_actors(0.5);
    EXPECT_EQ(lvl.enemies[0], glm::vec3(2.5f, 5.4f, 0.0f));
}

TEST_F(actors_walk, a_spider_beside_the_cubes_walks_freely_until_it_meets_one) {
    level lvl = walking_level({"1"}, {10.0f, 0.0f, 0.0f});
    EXPECT_EQ(lvl.enemies[0].y, -22.6f);
    for (int i = 0; i < 8; ++i) {
        lvl.update_actors(1.0);
    }
    EXPECT_EQ(lvl.enemies[0].x, 2.0f);
    EXPECT_EQ(lvl.headings[0], minus_x);
    lvl.update_actors(1.0);  // the probe at 1.5 finds the cube
    EXPECT_EQ(lvl.headings[0], plus_z);
    EXPECT_EQ(lvl.enemies[0].x, 2.0f);
}

TEST_F(actors_walk, ground_equality_is_exact_and_fails_only_on_a_top_of_minus_two) {
    for (int top = -30; top <= 30; ++top) {
        // Placed as start-up places it, and as a flip step places it.
        const float parsed = static_cast<float>(static_cast<double>(top) - 0.6);
        const float flipped = static_cast<float>(top) - enemy_sink;
        EXPECT_EQ(parsed + enemy_sink == static_cast<float>(top), top != -2) << top;
        EXPECT_EQ(flipped + enemy_sink == static_cast<float>(top), top != -2) << top;
    }
    // A cube flipped down to −4 has its top at −2: the spider turns every frame, forever.
    level lvl = walking_level({"111"}, {4.0f, 0.0f, 0.0f});
    for (glm::vec3& c : lvl.cubes) {
        c.y = -4.0f;
    }
    lvl.enemies[0].y = lvl.height_at(4.0f, 0.0f) - enemy_sink;
    const glm::vec3 before = lvl.enemies[0];
    for (int i = 0; i < 8; ++i) {
        lvl.update_actors(0.5);
    }
    EXPECT_EQ(lvl.enemies[0], before);
}

TEST_F(actors_walk, walking_off_keeps_positions_but_legs_move) {
    level lvl = walking_level({"11111"}, {6.0f, 0.0f, 0.0f});
    lvl.enemies_walk = false;
    const glm::vec3 before = lvl.enemies[0];
    clock = 10.0;
    lvl.update_actors(0.5);
    clock = 10.25;
    lvl.update_actors(0.5);
    EXPECT_EQ(lvl.enemies[0], before);
    EXPECT_EQ(lvl.headings[0], minus_x);
    EXPECT_EQ(lvl.leg_offsets[0].y, 5.0f);
}

TEST_F(actors_walk, legs_first_stroke_takes_half_a_second_and_swings_to_twice_the_amplitude) {
    level lvl;
    lvl.place_enemies();  // a level without spiders still animates the legs
    clock = 50.0;
    lvl.update_actors(0.0);
    EXPECT_EQ(lvl.leg_started, std::vector<double>(8, 50.0));
    EXPECT_EQ(lvl.leg_offsets[0].y, 0.0f);
    clock = 50.25;
    lvl.update_actors(0.0);
    EXPECT_EQ(lvl.leg_offsets[0].y, 5.0f);
    EXPECT_EQ(lvl.leg_offsets[2].y, 4.0f);
    EXPECT_EQ(lvl.leg_offsets[6].y, 6.0f);
    clock = 50.5;
    lvl.update_actors(0.0);
    EXPECT_EQ(lvl.leg_offsets[0].y, 10.0f);
    EXPECT_EQ(lvl.leg_offsets[3].y, 8.0f);
    EXPECT_EQ(lvl.leg_offsets[7].y, 12.0f);
    EXPECT_EQ(lvl.leg_moving, std::vector<bool>(8, false));
    for (const glm::vec3& offset : lvl.leg_offsets) {
        EXPECT_EQ(offset.x, 0.0f);
        EXPECT_EQ(offset.z, 0.0f);
    }
    // The next call starts the way back down from 2a.
    clock = 50.6;
    lvl.update_actors(0.0);
    EXPECT_EQ(lvl.leg_from[0].y, 10.0f);
    EXPECT_EQ(lvl.leg_started[0], 50.6);
}

TEST_F(actors_walk, legs_stay_between_zero_and_twice_the_amplitude_with_random_strokes) {
    level lvl;
    lvl.place_enemies();
    std::srand(1);
    for (int frame = 0; frame < 3000; ++frame) {
        clock = frame * 0.016;
        lvl.update_actors(0.016);
        for (std::size_t l = 0; l < 8; ++l) {
            ASSERT_GE(lvl.leg_offsets[l].y, -1e-4f);
            ASSERT_LE(lvl.leg_offsets[l].y, 2.0f * lvl.leg_amplitudes[l] + 1e-4f);
            if (frame > 0) {
                ASSERT_GE(lvl.leg_durations[l], 0.3 - 1e-6);
                ASSERT_LE(lvl.leg_durations[l], 0.7 + 1e-6);
            }
        }
    }
    EXPECT_EQ(stroke_duration(0), static_cast<double>(0.3f));
    EXPECT_NEAR(stroke_duration(32767), 0.7, 1e-6);
    for (int i = 0; i < 1000; ++i) {
        const int r = stroke_random();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
    }
}

TEST_F(actors_walk, a_level_that_failed_to_load_has_no_legs_to_move) {
    level lvl;
    lvl.update_actors(0.1);
    EXPECT_TRUE(lvl.leg_offsets.empty());
}

TEST(actors_contact, spider_touches_inside_a_strict_box) {
    const glm::vec3 ball(10.0f, 5.0f, 10.0f);
    EXPECT_TRUE(enemy_touches_ball({11.9f, 4.4f, 8.1f}, ball));
    EXPECT_FALSE(enemy_touches_ball({12.0f, 5.0f, 10.0f}, ball));
    EXPECT_FALSE(enemy_touches_ball({10.0f, 5.0f, 8.0f}, ball));
    EXPECT_FALSE(enemy_touches_ball({10.0f, 4.0f, 10.0f}, ball));
    EXPECT_FALSE(enemy_touches_ball({10.0f, 6.0f, 10.0f}, ball));
    level lvl;
    lvl.enemies = {{0.0f, 0.0f, 0.0f}, {11.0f, 5.5f, 11.0f}};
    EXPECT_TRUE(lvl.enemy_touches(ball));
    lvl.enemies.pop_back();
    EXPECT_FALSE(lvl.enemy_touches(ball));
}

}  // namespace
}  // namespace quillomar
