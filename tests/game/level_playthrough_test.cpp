// Every level of the set, and many generated ones, played through with the real physics by the
// checking player, which follows the planner's route. That its runs replay to the same end is
// the determinism table's to show.
#include <gtest/gtest.h>

#include "authoring/level_check.h"
#include "authoring/level_generator.h"
#include "game/level_set.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

TEST(LevelPlaythrough, EveryLevelOfTheSetIsFinishable) {
    const level_set set = load_level_set((test::source_dir() / level_order_file).string());
    EXPECT_GE(set.size(), 19u);
    for (const level_set_entry& entry : set) {
        const level_verdict verdict = check_level_file(entry.path);
        EXPECT_TRUE(verdict.finishable) << verdict.lines.back();
        EXPECT_EQ(verdict.lines.size(), 1u) << verdict.lines.front();
    }
}

TEST(LevelPlaythrough, GeneratedLevelsAreFinishableInTheRealPhysics) {
    for (std::uint64_t seed = 1000; seed < 1024; ++seed) {
        const test::scratch_dir dir;
        const std::string text = generate_level(seed, static_cast<level_size>(seed % 3));
        const level_verdict verdict = check_level_file(dir.write("generated.txt", text));
        EXPECT_TRUE(verdict.finishable) << verdict.lines.back() << "\n" << text;
    }
}

}  // namespace
}  // namespace quillomar
