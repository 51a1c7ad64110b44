// The shipped levels: everything stands on a cube, the spiders keep circling their platforms,
// and the finish can be reached by the rolling rules (steps down and equal steps only, a jump
// over one empty cell at most, a flip per collected item) but not without a flip.
#include <bitset>
#include <map>
#include <queue>
#include <set>
#include <tuple>

#include "level/level.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

using cell = std::pair<int, int>;

struct loaded {
    level lvl;
    std::map<cell, int> digits;  // height level of the cube in each cell
};

loaded load(const std::string& name) {
    loaded result;
    test::stream_capture quiet;
    EXPECT_TRUE(result.lvl.read_file((test::source_dir() / name).string())) << name;
    result.lvl.place_items();
    result.lvl.place_enemies();
    for (const glm::vec3& c : result.lvl.cubes) {
        result.digits[{static_cast<int>(c.x) / 2, static_cast<int>(c.z) / 2}] =
            static_cast<int>(c.y) / 2;
    }
    return result;
}

cell cell_of(float x, float z) {
    return {static_cast<int>(x) / 2, static_cast<int>(z) / 2};
}

// The ball sits on the cube centred on a grid point; things placed there must take that cube's
// height, or the ball could not collect them.
void expect_on_own_cube(const loaded& l, const glm::vec3& p, float sink, const char* what) {
    const auto found = l.digits.find(cell_of(p.x, p.z));
    ASSERT_NE(found, l.digits.end()) << what << " at " << p.x << ", " << p.z;
    EXPECT_EQ(p.y + sink, static_cast<float>(2 * found->second + 2))
        << what << " at " << p.x << ", " << p.z;
}

int digit_in(int digit, bool flipped) {
    return flipped ? 4 - digit : digit;
}

// Search over (cell, flipped, collected items); every collected item pays for one flip.
bool finish_reachable(const loaded& l, bool allow_flips) {
    const cell start = cell_of(l.lvl.start.x, l.lvl.start.y);
    const cell finish = cell_of(l.lvl.finish.x, l.lvl.finish.y);
    std::map<cell, int> item_at;
    for (std::size_t i = 0; i < l.lvl.initial_items.size(); ++i) {
        item_at[cell_of(l.lvl.initial_items[i].x, l.lvl.initial_items[i].z)] = static_cast<int>(i);
    }
    using state = std::tuple<cell, bool, unsigned, int>;  // cell, flipped, items, flips used
    std::set<state> seen;
    std::queue<state> open;
    open.push({start, false, 0u, 0});
    while (!open.empty()) {
        auto [at, flipped, items, flips] = open.front();
        open.pop();
        if (!seen.insert({at, flipped, items, flips}).second) {
            continue;
        }
        if (at == finish) {
            return true;
        }
        const int here = digit_in(l.digits.at(at), flipped);
        const auto arrive = [&](cell to) {
            unsigned taken = items;
            const auto item = item_at.find(to);
            if (item != item_at.end()) {
                taken |= 1u << item->second;
            }
            open.push({to, flipped, taken, flips});
        };
        for (const cell& d : {cell{1, 0}, cell{-1, 0}, cell{0, 1}, cell{0, -1}}) {
            const cell next{at.first + d.first, at.second + d.second};
            const cell beyond{at.first + 2 * d.first, at.second + 2 * d.second};
            if (l.digits.count(next) != 0) {
                if (digit_in(l.digits.at(next), flipped) <= here) {
                    arrive(next);
                }
            } else if (l.digits.count(beyond) != 0 &&
                       digit_in(l.digits.at(beyond), flipped) <= here) {
                arrive(beyond);
            }
        }
        if (allow_flips && flips < static_cast<int>(std::bitset<32>(items).count())) {
            open.push({at, !flipped, items, flips + 1});
        }
    }
    return false;
}

class level_files : public ::testing::TestWithParam<const char*> {};

TEST_P(level_files, everything_stands_on_its_own_cube) {
    const loaded l = load(GetParam());
    ASSERT_FALSE(l.lvl.cubes.empty());
    EXPECT_EQ(l.digits.size(), l.lvl.cubes.size());
    expect_on_own_cube(
        l, {l.lvl.start.x, l.lvl.height_at(l.lvl.start.x, l.lvl.start.y), l.lvl.start.y}, 0.0f,
        "start");
    expect_on_own_cube(
        l, {l.lvl.finish.x, l.lvl.height_at(l.lvl.finish.x, l.lvl.finish.y), l.lvl.finish.y}, 0.0f,
        "finish");
    for (const glm::vec3& p : l.lvl.items) {
        expect_on_own_cube(l, p, 0.0f, "item");
    }
    for (const glm::vec3& p : l.lvl.enemies) {
        expect_on_own_cube(l, p, 0.6f, "spider");
    }
}

TEST_P(level_files, spiders_keep_walking_on_their_platforms) {
    loaded l = load(GetParam());
    l.lvl.enemies_walk = true;
    const std::vector<glm::vec3> before = l.lvl.enemies;
    std::vector<float> travelled(before.size(), 0.0f);
    for (int step = 0; step < 600; ++step) {
        const std::vector<glm::vec3> previous = l.lvl.enemies;
        l.lvl.update_actors(0.25);
        for (std::size_t k = 0; k < before.size(); ++k) {
            const glm::vec3& p = l.lvl.enemies[k];
            ASSERT_EQ(p.y, before[k].y);
            ASSERT_EQ(l.lvl.height_at(p.x, p.z), p.y + 0.6f) << "spider " << k << " left";
            travelled[k] += glm::length(p - previous[k]);
        }
    }
    for (std::size_t k = 0; k < before.size(); ++k) {
        EXPECT_GT(travelled[k], 100.0f) << "spider " << k << " is stuck";
    }
}

INSTANTIATE_TEST_SUITE_P(shipped, level_files,
                         ::testing::Values("level.txt", "levels/tutorial.txt", "levels/hard.txt",
                                           "levels/benchmark_64x64.txt"));

class playable_level_files : public ::testing::TestWithParam<const char*> {};

TEST_P(playable_level_files, the_finish_needs_a_flip_and_can_be_reached_with_one) {
    const loaded l = load(GetParam());
    EXPECT_TRUE(finish_reachable(l, true));
    EXPECT_FALSE(finish_reachable(l, false));
}

INSTANTIATE_TEST_SUITE_P(shipped, playable_level_files,
                         ::testing::Values("level.txt", "levels/tutorial.txt", "levels/hard.txt"));

TEST(level_files, the_main_level_is_a_real_level) {
    const loaded l = load("level.txt");
    EXPECT_GE(l.lvl.items.size(), 3u);
    EXPECT_GE(l.lvl.enemies.size(), 2u);
    EXPECT_GT(glm::length(l.lvl.finish - l.lvl.start), 30.0f);
    std::set<int> heights;
    for (const auto& [where, digit] : l.digits) {
        heights.insert(digit);
    }
    EXPECT_GE(heights.size(), 3u);
}

TEST(level_files, the_benchmark_level_is_64_by_64_with_100_spiders) {
    const loaded l = load("levels/benchmark_64x64.txt");
    EXPECT_EQ(l.lvl.centre, glm::vec3(64.0f, 30.0f, 64.0f));
    EXPECT_EQ(l.lvl.enemies.size(), 100u);
}

}  // namespace
}  // namespace quillomar
