// The shipped levels: the finish can be reached by the rolling rules (steps down and equal steps
// only, a jump over one empty cell at most, a flip per collected item) but not without a flip.
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

cell cell_of(float x, float z) {
    return {static_cast<int>(x) / 2, static_cast<int>(z) / 2};
}

// Breadth-first over (cell, flipped, collected items, flips used); each item pays for one flip.
bool finish_reachable(const level& lvl, bool allow_flips) {
    std::map<cell, int> digits;  // height level of the cube in each cell
    for (const glm::vec3& c : lvl.cubes) {
        digits[cell_of(c.x, c.z)] = static_cast<int>(c.y) / 2;
    }
    EXPECT_EQ(digits.size(), lvl.cubes.size());
    std::map<cell, unsigned> item_bit;
    for (const glm::vec3& p : lvl.initial_items) {
        item_bit[cell_of(p.x, p.z)] = 1u << item_bit.size();
    }
    const auto digit = [&digits](cell c, bool flipped) {
        return flipped ? 4 - digits.at(c) : digits.at(c);
    };
    using state = std::tuple<cell, bool, unsigned, int>;
    std::set<state> seen;
    std::queue<state> open;
    open.push({cell_of(lvl.start.x, lvl.start.y), false, 0u, 0});
    while (!open.empty()) {
        const auto [at, flipped, items, flips] = open.front();
        open.pop();
        if (!seen.insert({at, flipped, items, flips}).second) {
            continue;
        }
        if (at == cell_of(lvl.finish.x, lvl.finish.y)) {
            return true;
        }
        for (const cell& d : {cell{1, 0}, cell{-1, 0}, cell{0, 1}, cell{0, -1}}) {
            cell to{at.first + d.first, at.second + d.second};
            if (digits.count(to) == 0) {
                to = {to.first + d.first, to.second + d.second};  // a jump over one empty cell
            }
            if (digits.count(to) != 0 && digit(to, flipped) <= digit(at, flipped)) {
                const auto bit = item_bit.find(to);
                open.push({to, flipped, items | (bit == item_bit.end() ? 0u : bit->second), flips});
            }
        }
        if (allow_flips && flips < static_cast<int>(std::bitset<32>(items).count())) {
            open.push({at, !flipped, items, flips + 1});
        }
    }
    return false;
}

class level_files : public ::testing::TestWithParam<const char*> {};

TEST_P(level_files, the_finish_needs_a_flip_and_can_be_reached_with_one) {
    level lvl;
    ASSERT_TRUE(lvl.read_file((test::source_dir() / GetParam()).string()));
    EXPECT_TRUE(finish_reachable(lvl, true));
    EXPECT_FALSE(finish_reachable(lvl, false));
}

INSTANTIATE_TEST_SUITE_P(shipped, level_files,
                         ::testing::Values("level.txt", "levels/tutorial.txt", "levels/hard.txt"));

}  // namespace
}  // namespace quillomar
