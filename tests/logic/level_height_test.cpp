// The ground lookup under a point, and the bulk index that must answer exactly the same.
#include <cstdlib>
#include <limits>

#include "level/ground_index.h"
#include "level/level.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

TEST(level_height, empty_level_has_no_ground_anywhere) {
    const level lvl;
    EXPECT_EQ(lvl.height_at(0.0f, 0.0f), -22.0f);
    EXPECT_EQ(lvl.height_at(-5.0f, 1e9f), -22.0f);
}

TEST(level_height, bounds_are_inclusive) {
    level lvl;
    lvl.cubes = {{2.0f, 4.0f, 6.0f}};
    EXPECT_EQ(lvl.height_at(2.0f, 6.0f), 6.0f);
    EXPECT_EQ(lvl.height_at(4.0f, 8.0f), 6.0f);
    EXPECT_EQ(lvl.height_at(3.0f, 7.0f), 6.0f);
    EXPECT_EQ(lvl.height_at(1.999f, 7.0f), -22.0f);
    EXPECT_EQ(lvl.height_at(3.0f, 8.001f), -22.0f);
}

TEST(level_height, on_a_border_the_earliest_cube_wins) {
    level lvl;
    lvl.cubes = {{2.0f, 2.0f, 2.0f}, {4.0f, 6.0f, 4.0f}};
    EXPECT_EQ(lvl.height_at(4.0f, 4.0f), 4.0f);
    EXPECT_EQ(lvl.height_at(4.5f, 4.5f), 8.0f);
    lvl.cubes = {{4.0f, 6.0f, 4.0f}, {2.0f, 2.0f, 2.0f}};
    EXPECT_EQ(lvl.height_at(4.0f, 4.0f), 8.0f);
}

float random_coordinate(float spread) {
    // Mostly grid points and cell borders, where ties are decided, plus arbitrary points.
    const int kind = std::rand() % 3;
    const float whole = static_cast<float>(std::rand() % static_cast<int>(spread)) - spread / 2;
    if (kind == 0) {
        return whole * 2.0f;
    }
    if (kind == 1) {
        return whole;
    }
    return whole + static_cast<float>(std::rand() % 1000) / 1000.0f;
}

TEST(level_height, the_bulk_index_answers_exactly_like_the_walk) {
    std::srand(7);
    for (int round = 0; round < 20; ++round) {
        std::vector<glm::vec3> cubes;
        const int count = 200 + std::rand() % 800;
        for (int i = 0; i < count; ++i) {
            cubes.emplace_back(random_coordinate(40.0f), static_cast<float>(std::rand() % 10),
                               random_coordinate(40.0f));
        }
        // Cubes far out and not finite take the index's slow path.
        cubes.emplace_back(3e7f, 1.0f, 4.0f);
        cubes.emplace_back(-3e7f, 1.0f, 4.0f);
        cubes.emplace_back(std::numeric_limits<float>::quiet_NaN(), 1.0f, 0.0f);
        cubes.emplace_back(-std::numeric_limits<float>::infinity(), 3.0f, 0.0f);
        const ground_index index(cubes, 1u << 20);
        ASSERT_TRUE(index.indexed());
        for (int probe = 0; probe < 2000; ++probe) {
            const float x = random_coordinate(50.0f);
            const float z = random_coordinate(50.0f);
            ASSERT_EQ(index.height_at(x, z), cube_top_at(cubes, x, z)) << x << ", " << z;
        }
        EXPECT_EQ(index.height_at(3e7f + 1.0f, 5.0f), cube_top_at(cubes, 3e7f + 1.0f, 5.0f));
        EXPECT_EQ(index.height_at(-std::numeric_limits<float>::infinity(), 0.0f), 5.0f);
    }
}

TEST(level_height, small_lookups_walk_without_an_index) {
    const std::vector<glm::vec3> cubes(100, glm::vec3(0.0f));
    EXPECT_FALSE(ground_index(cubes, 10).indexed());
}

}  // namespace
}  // namespace quillomar
