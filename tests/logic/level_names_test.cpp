// What a player reads where a level, a cell, a replay or a split is named: generated levels'
// titles from their seeds, cells by where they lie, the theatre's list in order, and the split
// as ahead or behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "authoring/cell_names.h"
#include "authoring/generated_level_file.h"
#include "authoring/level_generator.h"
#include "authoring/level_title.h"
#include "game/hud_lines.h"
#include "game/replay_theatre.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

// A seed's title is pinned with its level's bytes in the generator's test.
TEST(LevelNames, NeighbouringSeedsMostlyHaveTheirOwnTitles) {
    std::set<std::string> titles;
    for (std::uint64_t seed = 1000; seed < 1100; ++seed) {
        titles.insert(title_for_seed(seed));
    }
    EXPECT_GT(titles.size(), 80u);
}

TEST(LevelNames, AGeneratedLevelKeptBeforeTitlesKeepsItsContentAndSoItsRecords) {
    const test::scratch_dir dir;
    const std::string folder = dir.path().string();
    const std::uint64_t seed = 42;
    const std::string titled = generate_level(seed, level_size::medium);
    std::string untitled = titled;
    const std::string title_line = "title " + title_for_seed(seed) + "\n";
    untitled.erase(untitled.find(title_line), title_line.size());
    std::string message;
    const struct {
        std::string before;  // the file as it was, empty for none
        std::string after;
    } cases[] = {{"", titled}, {untitled, untitled}, {"start 1 1\n", titled}};
    for (const auto& c : cases) {
        const std::string path = generated_level_path(folder, seed);
        std::filesystem::remove(path);
        if (!c.before.empty()) {
            std::filesystem::create_directories(folder + "/generated");
            dir.write("generated/seed-42.txt", c.before);
        }
        EXPECT_EQ(keep_generated_level(folder, seed, &message), path);
        EXPECT_EQ(test::file_text(path), c.after);
        // Either way it is shown by its seed's title.
        EXPECT_EQ(generated_level_title(path, ""), title_for_seed(seed));
    }
    const std::pair<const char*, std::optional<std::uint64_t>> paths[] = {
        {"/r/generated/seed-18446744073709551615.txt", 18446744073709551615ULL},
        {"generated/seed-18446744073709551616.txt", std::nullopt},
        {"levels/seed-42.txt", std::nullopt},
        {"generated/seed-4x.txt", std::nullopt}};
    for (const auto& [path, seed_read] : paths) {
        EXPECT_EQ(seed_of_generated_path(path), seed_read) << path;
    }
    EXPECT_EQ(generated_level_title("levels/01.txt", "Rolling"), "");
}

TEST(LevelNames, ACellIsNamedByItsPlaceAlongTheRouteOrFromTheStart) {
    // A corridor from (1, 6) north to the finish at (1, 1), and a pad off to the east.
    const std::string text =
        "start 1 6\nfinish 1 1\npath\n\n0110000\n0100000\n0100000\n0100000\n0100000\n0100011\n";
    const level lvl = test::level_from_text(text);
    const std::vector<level_cell> route = route_cells(lvl);
    ASSERT_FALSE(route.empty());
    const std::pair<level_cell, const char*> names[] = {
        {{1, 6}, "the start"},
        {{1, 5}, "1 cell past the start"},
        {{1, 3}, "3 cells past the start"},
        {{1, 1}, "the finish"},
        {{2, 1}, "5 cells north, 1 cell east of the start"},
        {{6, 6}, "5 cells east of the start"},
        {{1, 7}, "1 cell south of the start"}};
    for (const auto& [cell, name] : names) {
        EXPECT_EQ(name_of_cell(lvl, route, cell), name) << cell.first << " " << cell.second;
    }
}

TEST(LevelNames, TheTheatresListIsNewestFirstAndShowsTimeMedalAndDate) {
    const auto entry = [](const char* title, long long written, std::optional<double> seconds,
                          const char* medal, const char* path) {
        return replay_entry{path, title, false, seconds, medal, written, written ? "10 Dec" : ""};
    };
    std::vector<replay_entry> list = {entry("Rolling", 100, 12.345, "gold", "a"),
                                      entry("Amber Steps", 300, std::nullopt, "", "b"),
                                      entry("Spiders", 100, 40.0, "", "c"),
                                      entry("Unknown", 0, std::nullopt, "", "d"),
                                      entry("Rolling", 100, 11.0, "author", "0")};
    sort_replays(list);
    std::vector<std::string> shown;
    for (const replay_entry& e : list) {
        shown.push_back(e.title + " | " + replay_details(e));
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"Amber Steps | recording, 10 Dec",
                                               "Rolling | 0:11.00 author, 10 Dec",
                                               "Rolling | 0:12.34 gold, 10 Dec",
                                               "Spiders | 0:40.00, 10 Dec",
                                               "Unknown | recording"}));
}

TEST(LevelNames, APlayersSplitStandsOnItsOwnLineAndSaysAheadOrBehind) {
    EXPECT_EQ(split_text(10.0, 12.5), "-2.50 ahead");
    EXPECT_EQ(split_text(12.5, 12.5), "-0.00 ahead");  // a tie is no loss
    EXPECT_EQ(split_text(13.6, 12.5), "+1.10 behind");
    game_state g;
    g.has_level = true;
    g.play_started = 100.0;
    g.clock_time = 105.5;
    g.splits.items = {5.0};
    g.best_splits.items = {4.0};
    for (const hud_voice voice : {hud_voice::classic, hud_voice::player}) {
        g.voice = voice;
        const std::vector<hud_line> lines = hud_lines(g);
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[2].text, "Time: 0:05.50");  // the clock's line holds the clock alone
        EXPECT_EQ(lines[3].text, voice == hud_voice::classic ? "+1.00" : "+1.00 behind");
        EXPECT_EQ(lines[3].tone, hud_tone::behind);
        // The game's own split stands beside the clock, a player's under it.
        EXPECT_EQ(lines[3].y_pixels > lines[2].y_pixels, voice == hud_voice::player);
    }
}

}  // namespace
}  // namespace quillomar
