// The ground lookup under a point, and the bulk index that must answer exactly the same.
#include <cstdlib>
#include <limits>

#include "level/ground_index.h"
#include "level/level.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

constexpr float inf = std::numeric_limits<float>::infinity();

TEST(level_height, cells_include_their_borders_and_the_earliest_cube_wins) {
    level lvl;
    EXPECT_EQ(lvl.height_at(0, 0), -22.0f);
    lvl.cubes = {{2, 2, 2}, {4, 6, 4}};
    const float cases[][3] = {{2, 2, 4},     {4, 4, 4},     {3, 3, 4},    {4.5f, 4.5f, 8},
                              {6, 6, 8},     {1.99f, 3, -22}, {3, 1.99f, -22}, {6.01f, 5, -22},
                              {5, 6.01f, -22}};
    for (const auto& [x, z, top] : cases) {
        EXPECT_EQ(lvl.height_at(x, z), top) << x << ", " << z;
    }
    std::swap(lvl.cubes[0], lvl.cubes[1]);
    EXPECT_EQ(lvl.height_at(4, 4), 8.0f);
}

float random_coordinate(float spread) {
    // Mostly grid points and cell borders, where ties are decided, plus arbitrary points.
    const int kind = std::rand() % 3;
    const float whole = static_cast<float>(std::rand() % static_cast<int>(spread)) - spread / 2;
    return kind == 0 ? whole * 2.0f : kind == 1 ? whole : whole + (std::rand() % 1000) / 1000.0f;
}

TEST(level_height, the_bulk_index_answers_exactly_like_the_walk) {
    std::srand(7);
    for (int round = 0; round < 20; ++round) {
        std::vector<glm::vec3> cubes;
        for (int i = 200 + std::rand() % 800; i > 0; --i) {
            cubes.emplace_back(random_coordinate(40), std::rand() % 10, random_coordinate(40));
        }
        // Cubes far out and not finite take the index's slow path.
        cubes.insert(cubes.end(), {{3e7f, 1, 4}, {NAN, 1, 0}, {-inf, 3, 0}});
        const ground_index index(cubes, 1u << 20);
        ASSERT_TRUE(index.indexed());
        for (int probe = 0; probe < 2000; ++probe) {
            const float x = random_coordinate(50.0f), z = random_coordinate(50.0f);
            ASSERT_EQ(index.height_at(x, z), cube_top_at(cubes, x, z)) << x << ", " << z;
        }
        EXPECT_EQ(index.height_at(3e7f + 1.0f, 5.0f), 3.0f);
        EXPECT_EQ(index.height_at(-inf, 0.0f), 5.0f);
    }
    EXPECT_FALSE(ground_index(std::vector<glm::vec3>(100), 10).indexed());
}

}  // namespace
}  // namespace quillomar
