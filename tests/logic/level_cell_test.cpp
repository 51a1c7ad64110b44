// The cell under a point, as the ground, the statistics, practice and the fall map all use it:
// a cube's cell runs from its corner two units along x and z, the border belonging to the next.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "game/replay_theatre.h"
#include "game/run_statistics.h"
#include "level/ground_index.h"
#include "level/level_cell.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

TEST(LevelCell, APointBelongsToTheCellWhoseSquareHoldsIt) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float x, z;
        level_cell cell;
    } cases[] = {
        {0.0f, 0.0f, {0, 0}},      {0.9f, 1.1f, {0, 0}},    {1.99f, 1.999f, {0, 0}},
        {2.0f, 3.0f, {1, 1}},      {3.0f, 2.0f, {1, 1}},    {5.999f, 4.001f, {2, 2}},
        {-0.001f, -2.0f, {-1, -1}}, {-2.001f, 7.0f, {-2, 3}}, {4e9f, -4e9f, {2000000000, -2000000000}},
        {1e10f, -1e10f, {std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}},
        {inf, std::nanf(""), {std::numeric_limits<int>::max(), 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cell_under(c.x, c.z), c.cell) << c.x << " " << c.z;
    }
    EXPECT_EQ(cell_centre({3, -1}), glm::vec2(7.0f, -1.0f));
    EXPECT_EQ(cell_under(7.0f, -1.0f), level_cell(3, -1));
}

TEST(LevelCell, TheGroundAndTheStatisticsAgreeOnEitherHalfOfACell) {
    // One cube at column 2, row 1 (height 3), nothing else: points in its square count as on
    // it, points just before its corner do not.
    const level lvl = test::level_from_text("path\n\n003\n");
    const ground_index ground(lvl.cubes, 1u << 30);  // indexed: many lookups expected
    const struct {
        float x, z;
        bool on_cube;
    } cases[] = {{4.0f, 2.0f, true},  {4.9f, 2.1f, true},    {5.1f, 3.9f, true},
                 {5.99f, 3.99f, true}, {3.99f, 3.0f, false}, {5.0f, 1.99f, false},
                 {6.0f, 3.0f, false},  {5.0f, 4.0f, false}};
    for (const auto& c : cases) {
        const level_cell cell = cell_at({c.x, 0.0f, c.z});
        EXPECT_EQ(cube_on_cell(lvl.cubes, cell), c.on_cube) << c.x << " " << c.z;
        if (c.on_cube) {
            EXPECT_EQ(cell, level_cell(2, 1));
            EXPECT_EQ(ground.height_at(c.x, c.z), 8.0f);
        }
        // A ball resting there has stood on the cube's cell, or on none: on the far border the
        // ground still finds the cube, but the cell is the empty one beyond it.
        game_state state;
        state.has_level = true;
        state.level = lvl;
        state.ball.position = {c.x, 8.0f, c.z};
        level_statistics counted;
        run_statistics().count_tick(counted, state, {});
        const std::set<level_cell> reached =
            c.on_cube ? std::set<level_cell>{{2, 1}} : std::set<level_cell>{};
        EXPECT_EQ(counted.reached, reached) << c.x << " " << c.z;
    }
}

TEST(LevelCell, CellsWithoutACubeAreDroppedAndNeverOfferedForPractice) {
    const level lvl = test::level_from_text("path\n11\n01\n");
    level_statistics counted;
    counted.attempts = 4;
    counted.lives_lost = 9;
    counted.deaths = {{{0, 0}, 2}, {{0, 1}, 3}, {{1, 1}, 1}, {{5, 5}, 3}};
    counted.reached = {{-1, 0}, {0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0}};
    EXPECT_EQ(practice_cells(lvl, counted), (std::vector<level_cell>{{0, 0}, {1, 0}, {1, 1}}));
    keep_cells_on_cubes(counted, lvl);
    EXPECT_EQ(counted.deaths, (std::map<level_cell, long>{{{0, 0}, 2}, {{1, 1}, 1}}));
    EXPECT_EQ(counted.reached, (std::set<level_cell>{{0, 0}, {1, 0}, {1, 1}}));
    EXPECT_EQ(counted.attempts, 4);
    EXPECT_EQ(counted.lives_lost, 9);
}

}  // namespace
}  // namespace quillomar
