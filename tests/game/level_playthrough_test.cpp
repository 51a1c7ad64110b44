// Every level of the set, and many generated ones, played through with the real physics by the
// checking player, which follows the planner's route; and a run of it replays to the same end.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "authoring/level_check.h"
#include "authoring/level_generator.h"
#include "authoring/level_grid.h"
#include "authoring/route_player.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

std::vector<std::string> level_set_files() {
    std::vector<std::string> files;
    std::ifstream in(test::source_dir() / "levels/order.txt");
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string path;
        if (words >> path && path[0] != '#') {
            files.push_back((test::source_dir() / path).string());
        }
    }
    return files;
}

TEST(LevelPlaythrough, EveryLevelOfTheSetIsFinishable) {
    const std::vector<std::string> files = level_set_files();
    EXPECT_GE(files.size(), 19u);
    for (const std::string& file : files) {
        const level_verdict verdict = check_level_file(file);
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

TEST(LevelPlaythrough, TheCheckingPlayersRunReplaysToTheSameEnd) {
    std::stringstream text;
    text << std::ifstream(test::source_dir() / "level.txt").rdbuf();
    test::core_driver replay(text.str());
    const level lvl = [&] {
        level read;
        std::istringstream in(text.str());
        read.read_stream(in);
        return read;
    }();
    const play_outcome played = play_route(lvl, plan_route(make_level_grid(lvl)));
    ASSERT_TRUE(played.finished);
    for (const frame_input& frame : played.frames) {
        replay.core().step(frame);
    }
    EXPECT_TRUE(replay.state().won);
    EXPECT_EQ(replay.state().splits.finish, played.seconds);
}

}  // namespace
}  // namespace quillomar
