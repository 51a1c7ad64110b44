// The level set's order file, the list's locks and best times, and the HUD's clock and splits.
#include <gtest/gtest.h>

#include "game/hud_lines.h"
#include "game/level_set.h"
#include "game/menu.h"
#include "records/assisted_store.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

TEST(LevelSet, OneLevelALineWithItsTitleOrItsFileName) {
    int skipped = -1;
    const level_set set = parse_level_set(
        "# the order\n\n  levels/a.txt   The First  "
        "\r\nb.txt\n\tc\\d.e.txt\tCee\nbad\x01line\nlast",
        &skipped);
    std::string read;
    for (const level_set_entry& e : set) {
        read += e.path + "=" + e.title + ";";
    }
    EXPECT_EQ(read, "levels/a.txt=The First;b.txt=b;c\\d.e.txt=Cee;last=last;");
    EXPECT_EQ(skipped, 1);
}

TEST(LevelSet, ALevelOpensOnceTheOneBeforeIsWonAndShowsItsBestTime) {
    const level_set set = parse_level_set("a\nb\nc\nd\ne\n");
    // a is first; b was won out of order, so c opens; d has no file (no key), so e stays shut.
    const std::vector<std::string> keys = {"ka", "kb", "kc", "", "ke"};
    const records_map records = {{"kb", {12.5, 0, "b"}}};
    const std::vector<level_list_row> rows = level_list_rows(set, keys, records);
    const bool unlocked[] = {true, true, true, false, false};
    ASSERT_EQ(rows.size(), 5u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].unlocked, unlocked[i]) << i;
        EXPECT_EQ(rows[i].best_seconds.has_value(), i == 1) << i;
    }
    EXPECT_EQ(*rows[1].best_seconds, 12.5);
    EXPECT_EQ(index_of_level(keys, "ke"), 4u);
    EXPECT_EQ(index_of_level(keys, ""), std::nullopt);

    // A win with help opens the next level but keeps no time, and Play goes on past it; a
    // level with a record is no assisted one.
    const std::vector<level_list_row> helped =
        level_list_rows(parse_level_set("a\nb\nc\n"), {"ka", "kb", "kc"}, records, {"ka", "kb"});
    EXPECT_TRUE(helped[0].assisted && !helped[0].best_seconds && helped[1].unlocked);
    EXPECT_TRUE(!helped[1].assisted && helped[2].unlocked);
    EXPECT_EQ(level_to_continue(helped), 2u);
}

TEST(LevelSet, TheLevelsWonWithHelpReadBackAndADamagedLineCostsOnlyItself) {
    const std::string key = "0123456789abcdef";
    const auto read = parse_assisted("quillomar-assisted 1\n" + key + "\nnot a key\n" + key +
                                     "\nfedcba9876543210");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->keys, (std::set<std::string>{key}));
    EXPECT_EQ(read->damaged_lines,
              (std::vector<std::string>{"not a key", key, "fedcba9876543210"}));
    EXPECT_EQ(read->why, "line 3 is not a level key");
    EXPECT_EQ(parse_assisted(format_assisted(read->keys))->keys, read->keys);
    EXPECT_FALSE(parse_assisted("quillomar-records 1\n"));

    const test::scratch_dir dir;
    assisted_store kept(dir.path().string());
    EXPECT_FALSE(kept.load());
    EXPECT_TRUE(kept.add(key) && !kept.add("KEY"));
    assisted_store again(dir.path().string());
    EXPECT_FALSE(again.load());
    EXPECT_EQ(again.keys(), (std::set<std::string>{key}));
}

TEST(HudClock, RunTimesAndSplitsReadInMinutesSecondsAndHundredths) {
    const std::pair<double, const char*> times[] = {{-3.0, "0:00.00"},
                                                    {5.478, "0:05.47"},
                                                    {59.999, "0:59.99"},
                                                    {60.0, "1:00.00"},
                                                    {3725.5, "62:05.50"}};
    for (const auto& [seconds, text] : times) {
        EXPECT_EQ(format_run_time(seconds), text);
    }
    const struct {
        double mine, best;
        const char* text;
        hud_tone tone;
    } splits[] = {{10.0, 12.5, "-2.50", hud_tone::ahead},
                  {12.5, 12.5, "-0.00", hud_tone::ahead},
                  {75.25, 12.0, "+63.25", hud_tone::behind}};
    for (const auto& s : splits) {
        const hud_line line = split_line(s.mine, s.best);
        EXPECT_EQ(line.text, s.text);
        EXPECT_EQ(line.tone, s.tone);
    }
    // The HUD shows the latest pick-up's split against the best run's same pick-up, for 3 s.
    game_state g;
    g.has_level = true;
    g.play_started = 100.0;
    g.splits.items = {5.0, 9.0};
    g.best_splits.items = {4.0, 10.0, 20.0};
    for (const auto& [now, shown] : {std::pair{111.9, "-1.00"}, {112.0, ""}}) {
        g.clock_time = now;
        const std::vector<hud_line> lines = hud_lines(g);
        EXPECT_EQ(lines[2].text, "Time: " + format_run_time(now - 100.0));
        EXPECT_EQ(lines.size() > 3 ? lines[3].text : "", shown);
    }
}

}  // namespace
}  // namespace quillomar
