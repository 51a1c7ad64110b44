// The player's statistics: what a run counts, and a file that keeps every good line whatever
// else it holds.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "game/run_statistics.h"
#include "records/statistics_store.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// The ball rolls from the start (1, 2) over (1, 1) and off its far edge: every life ends there.
const char* const edge = "start 1 2\nfinish 9 9\npath\n\n111\n111\n";

TEST(Statistics, ARunCountsItsAttemptTimeCellsAndEachLifeWhereItWasLost) {
    test::core_driver d(edge);
    level_statistics counted;
    run_statistics run;
    int saves = 0;
    for (int i = 0; i < 60 * 60 && counted.lives_lost < 3; ++i) {
        // Pushed only once it has landed: a push in the air carries it over the whole level.
        d.hold(command::forward, d.state().ball.position.y < 4.5f);
        saves += run.count_tick(counted, d.state(), d.step()) ? 1 : 0;
    }
    ASSERT_EQ(counted.deaths.at({1, 1}), 3);
    EXPECT_EQ(counted.attempts, 1);
    EXPECT_EQ(counted.lives_lost, 3);
    EXPECT_EQ(saves, 4);  // the attempt and each life
    EXPECT_GT(counted.ticks_played, 3 * 3 * 60);
    EXPECT_TRUE(counted.reached.count({1, 2}) && counted.reached.count({1, 1}));

    // A restart by the player costs a life where the ball stood, not where it lands.
    d.release(command::forward);
    for (int i = 0; i < 8 * 60; ++i) {
        run.count_tick(counted, d.state(), d.step());
    }
    d.hold(command::restart);
    run.count_tick(counted, d.state(), d.step());
    EXPECT_EQ(counted.deaths.at({1, 2}), 1);
    EXPECT_EQ(counted.lives_lost, 4);
    EXPECT_EQ(counted.wins, 0);
}

class StatisticsFile : public ::testing::Test {
protected:
    test::scratch_dir scratch;
    std::string folder = (scratch.path() / "quillomar").string();
    std::string file = folder + "/statistics.txt";
};

TEST_F(StatisticsFile, WhatIsSavedLoadsBackTheSame) {
    statistics_store store(folder);
    store.load();
    level_statistics& a = store.of("0123456789abcdef");
    a = {4, 1, 7, 5000, {{{1, 1}, 3}, {{-2, 40}, 4}}, {{1, 2}, {0, 0}}};
    store.of("fedcba9876543210").attempts = 1;
    ASSERT_TRUE(store.save());
    statistics_store again(folder);
    again.load();
    EXPECT_EQ(again.levels(), store.levels());
}

TEST_F(StatisticsFile, EachDamagedLineIsSetAsideAndCostsOnlyItself) {
    const std::string good = "0123456789abcdef 3 1 2 600 d1,1,2 r1,2\n";
    const std::vector<std::string> damaged = {
        "junk",
        "0123456789ABCDEF 1 0 0 0",          // not a key as written
        "1111111111111111 1 0 -1 0",         // a negative count
        "2222222222222222 1 0 0",            // a count missing
        "3333333333333333 1 0 0 0 d1,1",     // a death cell without its count
        "4444444444444444 1 0 0 0 d1,1,0",   // no life lost there
        "5555555555555555 1 0 0 0 r1,1 r1,1",  // a cell twice
        "6666666666666666 1 0 0 0 x1,1",     // no such field
        "8888888888888888 1 0 0 0 r5",       // half a cell
        "0123456789abcdef 9 9 9 9",          // the level again
    };
    std::string text = "quillomar-statistics 1\n" + good;
    for (const std::string& line : damaged) {
        text += line + "\n";
    }
    text += "7777777777777777 1 0 0 0";  // cut off
    scratch.write("quillomar/statistics.txt", text);
    test::stream_capture console;
    statistics_store store(folder);
    store.load();
    EXPECT_EQ(console.lines().size(), 1u) << console.text();
    ASSERT_EQ(store.levels().size(), 1u);
    EXPECT_EQ(store.find("0123456789abcdef")->deaths.at({1, 1}), 2);
    std::string aside;
    for (const std::string& line : damaged) {
        aside += line + "\n";
    }
    EXPECT_EQ(test::file_text(file + ".damaged"), aside + "7777777777777777 1 0 0 0\n");
    EXPECT_EQ(test::file_text(file), "quillomar-statistics 1\n" + good);

    // A file that is not statistics at all goes aside whole, and play starts afresh.
    scratch.write("quillomar/statistics.txt", "quillomar-records 1\n");
    store.load();
    EXPECT_TRUE(store.levels().empty());
    EXPECT_EQ(test::file_text(file + ".damaged.1"), "quillomar-records 1\n");
}

}  // namespace
}  // namespace quillomar
