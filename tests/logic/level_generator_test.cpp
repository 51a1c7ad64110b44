// Generated levels: the same seed gives the same bytes, different seeds different levels, and
// the planner accepts every one (the game suite plays them in the real physics).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>

#include "authoring/level_generator.h"
#include "authoring/level_grid.h"
#include "authoring/level_title.h"
#include "authoring/route_planner.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

std::uint64_t fnv1a(const std::string& text) {
    std::uint64_t h = 14695981039346656037ULL;
    for (const unsigned char c : text) {
        h = (h ^ c) * 1099511628211ULL;
    }
    return h;
}

TEST(LevelGenerator, SameSeedSameBytesOnEveryMachine) {
    // Pinned: a change here changes every shared seed's level.
    const std::pair<std::uint64_t, level_size> seeds[] = {
        {0, level_size::small}, {1, level_size::medium}, {18446744073709551615ULL, level_size::large}};
    std::vector<std::uint64_t> hashes;
    std::vector<std::uint64_t> untitled;
    for (const auto& [seed, size] : seeds) {
        EXPECT_EQ(generate_level(seed, size), generate_level(seed, size));
        std::string text = generate_level(seed, size);
        hashes.push_back(fnv1a(text));
        // The title line came later; the rest is the level as it always was.
        const std::size_t title = text.find("\ntitle ") + 1;
        text.erase(title, text.find('\n', title) + 1 - title);
        untitled.push_back(fnv1a(text));
    }
    EXPECT_EQ(hashes, (std::vector<std::uint64_t>{12940357151262465198ULL, 11395981891905143591ULL,
                                                  18433980829787597039ULL}));
    EXPECT_EQ(untitled, (std::vector<std::uint64_t>{17166940493555808170ULL,
                                                    3690848763648405531ULL,
                                                    15475927193169316976ULL}));
}

TEST(LevelGenerator, EverySeedGivesAPlannedRouteWithItsOwnLayout) {
    std::set<std::string> layouts;
    const test::stream_capture console;
    for (std::uint64_t seed = 100; seed < 160; ++seed) {
        const level_size size = static_cast<level_size>(seed % 3);
        const std::string text = generate_level(seed, size);
        layouts.insert(text.substr(text.find("\n")));
        const level lvl = test::level_from_text(text);
        const level_grid grid = make_level_grid(lvl);
        EXPECT_TRUE(grid.problems.empty()) << seed;  // the title line among them
        EXPECT_EQ(lvl.title, title_for_seed(seed));
        const route_plan plan = plan_route(grid);
        EXPECT_TRUE(plan.found && plan.spider_cells == 0) << seed << "\n" << text;
    }
    EXPECT_EQ(layouts.size(), 60u);
    EXPECT_EQ(console.text(), "");  // neither the generator nor the reader prints
}

// Where the route is once it is four cells from the start, seen from the start: past the
// start's platform, or past the far end of a run-up (three cells back at most).
glm::vec2 route_heading(const route_plan& plan) {
    const grid_cell from = plan.steps.front().cell;
    for (const route_step& step : plan.steps) {
        const glm::vec2 way(step.cell.x - from.x, step.cell.z - from.z);
        if (std::max(std::abs(way.x), std::abs(way.y)) >= 4.0f) {
            return way;
        }
    }
    return glm::vec2(0.0f);
}

glm::vec2 direction(facing f) {
    const glm::vec2 ways[] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
    return ways[static_cast<int>(f)];
}

TEST(LevelGenerator, TheBallFacesTheWayOffTheStartAndNothingElseStartsOnItsCell) {
    // Seed 450932 (medium) once put an item on the start cell.
    std::vector<std::pair<std::uint64_t, level_size>> seeds = {{450932, level_size::medium}};
    for (std::uint64_t seed = 0; seed < 300; ++seed) {
        seeds.emplace_back(seed * 7919 + 3, static_cast<level_size>(seed % 3));
    }
    for (const auto& [seed, size] : seeds) {
        const std::string text = generate_level(seed, size);
        const level lvl = test::level_from_text(text);
        ASSERT_NE(text.find("\nfacing "), std::string::npos) << seed;
        const route_plan plan = plan_route(make_level_grid(lvl));
        ASSERT_TRUE(plan.found) << seed;
        const glm::vec2 way = route_heading(plan);
        EXPECT_GT(glm::dot(direction(lvl.start_facing), way), 0.0f) << seed << "\n" << text;
        const glm::vec3 start(lvl.start.x, 0.0f, lvl.start.y);
        EXPECT_NE(lvl.finish, lvl.start) << seed;
        for (const auto* things : {&lvl.items, &lvl.enemies}) {
            EXPECT_EQ(std::count(things->begin(), things->end(), start), 0) << seed << "\n" << text;
        }
    }
}

TEST(LevelGenerator, SizeNamesAreTheOnlyOnes) {
    EXPECT_EQ(parse_level_size("small"), level_size::small);
    EXPECT_EQ(parse_level_size("large"), level_size::large);
    EXPECT_FALSE(parse_level_size("Large").has_value());
    EXPECT_FALSE(parse_level_size("").has_value());
}

}  // namespace
}  // namespace quillomar
