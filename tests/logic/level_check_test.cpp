// The finishability check on small levels: the planner's verdicts, the problems it names by
// line, and hostile files.
#include <gtest/gtest.h>

#include <sstream>

#include "authoring/level_check.h"
#include "authoring/level_grid.h"
#include "authoring/route_planner.h"
#include "authoring/route_player.h"
#include "framework/command_line.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

std::string verdict_of(const std::string& text) {
    const test::scratch_dir dir;
    const level_verdict v = check_level_file(dir.write("l.txt", text));
    std::string all;
    for (const std::string& line : v.lines) {
        all += line.substr(line.find("l.txt")) + "\n";
    }
    return all;
}

struct verdict_case {
    const char* what;
    const char* level;
    bool finishable;
    const char* expected;  // a part of the verdict's text
    std::optional<grid_cell> place = std::nullopt;
};

TEST(LevelCheck, VerdictsFollowHeightsGapsAndItems) {
    const verdict_case cases[] = {
        {"a flat run", "start 1 1\nfinish 5 1\npath\n0000000\n0111111\n0111111\n0111111\n",
         true, "0 lives lost, 0 flips used"},
        {"a finish above everything reachable",
         "start 1 1\nfinish 5 1\npath\n0000000\n0111222\n0111222\n0111222\n", false,
         "not finishable: needs 1 flip but has 0 items; no route past (3, 1)\n", grid_cell{3, 1}},
        {"a finish beyond a gap no run-up reaches",
         "start 1 1\nfinish 5 1\nitem 1 1\npath\n0000000\n0110222\n0110222\n0110222\n", false,
         "not finishable: no route past (2, 1), even with flips\n", grid_cell{2, 1}},
        {"a wall that one flip turns into a step, with an item",
         "start 1 2\nfinish 7 2\nitem 2 2\npath\n000000000\n011112220\n011112220\n011112220\n"
         "011112220\n",
         true, "1 flip used"},
        {"the wall's only item on the terrace it guards",
         "start 1 2\nfinish 7 2\nitem 6 2\npath\n000000000\n011112220\n011112220\n011112220\n"
         "011112220\n",
         false,
         "not finishable: needs 1 flip, but no item can be reached before the flip it pays for; "
         "no route past (4, 2)\n",
         grid_cell{4, 2}},
        {"two walls, both items behind the first",
         "start 1 2\nfinish 11 2\nitem 6 2\nitem 7 2\npath\n0000000000000\n0111122221110\n"
         "0111122221110\n0111122221110\n0111122221110\n",
         false, "needs 2 flips, but not enough items can be reached before the flips they pay for; "
         "no route past (4, 2)\n", grid_cell{4, 2}},
        {"the same wall without an item",
         "start 1 2\nfinish 7 2\npath\n000000000\n011112220\n011112220\n011112220\n011112220\n",
         false, "needs 1 flip but has 0 items; no route past (4, 2)\n", grid_cell{4, 2}},
        {"a gap after a long run-up",
         "start 1 2\nfinish 11 2\npath\n0000000000000\n0222222202222\n0222222202222\n"
         "0222222202222\n",
         true, "finishable in"},
        {"a gap after a run-up just long enough (six cells)",
         "start 1 2\nfinish 10 2\npath\n000000000000\n022222202222\n022222202222\n"
         "022222202222\n",
         true, "finishable in"},
        {"a gap after a run-up one cell short",
         "start 2 2\nfinish 10 2\npath\n000000000000\n002222202222\n002222202222\n"
         "002222202222\n",
         false, "no route past (6, 2), even with flips\n", grid_cell{6, 2}},
        {"a gap after a short run-up",
         "start 1 2\nfinish 7 2\npath\n0000000000\n0222202222\n0222202222\n0222202222\n", false,
         "no route past (4, 2), even with flips\n", grid_cell{4, 2}},
        {"a two-cell gap", "start 1 2\nfinish 11 2\npath\n0000000000000\n0222222002222\n"
                           "0222222002222\n0222222002222\n",
         false, "no route past (6, 2), even with flips\n", grid_cell{6, 2}},
        {"the start on the finish", "start 1 1\nfinish 1 1\npath\n000\n010\n000\n", false,
         "not finishable: the start is the finish\n", grid_cell{1, 1}},
        {"the start beside the finish, corner to corner",
         "start 2 1\nfinish 1 2\npath\n0000\n0110\n0110\n", false,
         "not finishable: the start is the finish\n", grid_cell{2, 1}},
        {"the finish two rows from the start", "start 1 1\nfinish 2 3\npath\n0000\n0110\n0110\n0110\n",
         true, "finishable in"},
        {"a run on the highest cubes", "start 1 1\nfinish 5 1\npath\n0000000\n0999999\n0999999\n",
         true, "finishable in"},
    };
    for (const verdict_case& c : cases) {
        const test::scratch_dir dir;
        const std::string path = dir.write("l.txt", c.level);
        const level_verdict v = check_level_file(path);
        const std::string verdict = v.lines.back();
        EXPECT_EQ(v.finishable, c.finishable) << c.what << ": " << verdict;
        // An expected text ending in a line feed ends the verdict.
        EXPECT_NE((verdict + "\n").find(c.expected), std::string::npos) << c.what << ": " << verdict;
        EXPECT_EQ(verdict, path + ": " + verdict_line(v)) << c.what;
        EXPECT_EQ(v.place, c.place) << c.what << ": " << verdict;
    }
}

using test::level_from_text;

TEST(LevelCheck, ASpiderOnAOneCellCorridorIsNamedByItsCell) {
    // No item, no way round: the only route passes the spider.
    const level_verdict v = check_level(
        level_from_text("start 1 1\nfinish 9 1\nenemy 5 1\npath\n00000000000\n01111111110\n"
                   "00000000000\n"),
        "l.txt");
    ASSERT_FALSE(v.finishable);
    ASSERT_TRUE(v.place.has_value()) << v.reason;
    EXPECT_EQ(v.place->z, 1) << v.reason;  // on the corridor, even when caught over its edge
    EXPECT_EQ(v.reason, "the spider from (5, 1) caught the ball at " + cell_text(*v.place));
    EXPECT_EQ(v.lines.back(), "l.txt: not finishable: " + v.reason);
}

TEST(LevelCheck, AFallNamesTheLastCellUnderTheBall) {
    // A route over the end of a ledge, as no plan would lead: the ball rolls off (3, 1). The
    // spider on the finish's cube is no part of it.
    const level lvl =
        level_from_text("start 1 1\nfinish 1 3\nenemy 1 3\npath\n00000\n01110\n00000\n01000\n");
    route_plan over_the_edge;
    over_the_edge.found = true;
    for (const int x : {1, 2, 3, 4, 5}) {
        over_the_edge.steps.push_back({x == 1 ? route_move::start : route_move::roll, {x, 1}});
    }
    const play_outcome played = play_route(lvl, over_the_edge);
    EXPECT_FALSE(played.finished);
    EXPECT_EQ(played.failure, "the ball fell at (3, 1)");
    EXPECT_EQ(played.place, (grid_cell{3, 1}));
}

TEST(LevelCheck, TheVerdictLineCarriesTimeLivesFlipsAndMedals) {
    level_verdict won;
    won.finishable = true;
    won.seconds = 47.87;
    won.lives_lost = 1;
    won.flips_used = 2;
    EXPECT_EQ(verdict_line(won),
              "finishable in 47.87 s, 1 life lost, 2 flips used; medals: author 47.9 s, "
              "gold 59.9 s, silver 76.6 s, bronze 105.4 s");
    won.lives_lost = 2;
    won.flips_used = 1;
    won.seconds = 2e6;  // past every medal
    EXPECT_EQ(verdict_line(won), "finishable in 2000000.00 s, 2 lives lost, 1 flip used");
    level_verdict lost;
    lost.reason = "the ball fell at (3, 1)";
    EXPECT_EQ(verdict_line(lost), "not finishable: the ball fell at (3, 1)");
}

TEST(LevelCheck, NamesEachProblemByItsLineBeforeTheVerdict) {
    const std::string verdict = verdict_of(
        "strat 1 1\nstart 1 1\nfacing up\nfinish 9 9\nitem 3 3\nenemy 0 1\n# fine\ntitle T\npath\n"
        "000\n011\n011\n");
    EXPECT_EQ(verdict,
              "l.txt:1: unknown keyword 'strat'\n"
              "l.txt:3: a facing is north, east, south or west; this line is ignored\n"
              "l.txt:4: the finish (9, 9) is not on a cube\n"
              "l.txt:5: the item (3, 3) is over an empty cell\n"
              "l.txt:6: the spider (0, 1) is over an empty cell\n"
              "l.txt: not finishable: the finish is not on a cube\n");
}

TEST(LevelCheck, HostileFilesGetOneLineAndFailTheCheck) {
    const test::scratch_dir dir;
    std::string binary(4096, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) {
        binary[i] = static_cast<char>(i * 7919 % 256);
    }
    const std::string huge = "start 99999999999999999999 -99999999999\nfinish 1 1\npath\n1\n";
    const std::pair<std::string, const char*> files[] = {
        {dir.path().string(), "it is a folder"},
        {"/dev/zero", "it is not a plain file"},
        {(dir.path() / "missing.txt").string(), "no such file"},
        {dir.write("binary.txt", binary), "not finishable"},
        {dir.write("huge.txt", huge), "is not on a cube"},
    };
    for (const auto& [path, expected] : files) {
        std::ostringstream out;
        EXPECT_EQ(run_level_check({path}, out), 1) << path;
        EXPECT_NE(out.str().find(expected), std::string::npos) << out.str();
        EXPECT_EQ(out.str().rfind(path, 0), 0u) << out.str();
    }
}

TEST(LevelCheck, CommandLineAsksForCheckingGeneratingOrEditingOneFileOrRefuses) {
    struct row {
        std::vector<const char*> args;
        bool check;
        bool generate;
        bool error;
        const char* edit = "";
    };
    const row rows[] = {
        {{"--check", "a.txt", "b.txt"}, true, false, false},
        {{"--check"}, false, false, true},
        {{"--generate", "18446744073709551615", "--size", "large"}, false, true, false},
        {{"--generate", "18446744073709551616"}, false, false, true},
        {{"--generate", "-1"}, false, false, true},
        {{"--generate", "7", "--size", "huge"}, false, false, true},
        {{"--size", "small"}, false, false, true},
        {{"--check", "a.txt", "--generate", "1"}, false, false, true},
        {{"--check", "a.txt", "--record", "r"}, false, false, true},
        {{"--edit", "new.txt"}, false, false, false, "new.txt"},
        {{"--edit"}, false, false, true},
        {{"--edit", "a", "b"}, false, false, true},
        {{"--edit", "a", "--check", "b"}, false, false, true},
        {{"--edit", "a", "--replay", "r"}, false, false, true},
    };
    for (const row& r : rows) {
        std::vector<const char*> argv{"quillomar"};
        argv.insert(argv.end(), r.args.begin(), r.args.end());
        const command_line line = parse_command_line(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(!line.error.empty(), r.error) << r.args[0] << " " << line.error;
        if (!r.error) {
            EXPECT_EQ(line.check, r.check);
            EXPECT_EQ(line.generate_seed.has_value(), r.generate);
            EXPECT_EQ(line.edit_file, r.edit);
        }
    }
}

// The planner's own choices, before any physics: which cells a route takes and how it moves.
TEST(RoutePlanner, KeepsOffDropsWhereItCanAndJumpsOnlyOverTheGap) {
    struct plan_case {
        const char* what;
        const char* level;
        std::vector<grid_cell> cells;  // the route, start to finish
        std::vector<route_move> moves;
    };
    using m = route_move;
    const plan_case cases[] = {
        {"a hole beside the straight way: two cells longer, away from the drop",
         "start 1 1\nfinish 5 1\npath\n1110111\n1111111\n1111111\n1111111\n",
         {{1, 1}, {1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}, {5, 1}},
         {m::start, m::roll, m::roll, m::roll, m::roll, m::roll, m::roll}},
        {"the same hole below the way",
         "start 1 2\nfinish 5 2\npath\n1111111\n1111111\n1111111\n1110111\n",
         {{1, 2}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {5, 2}},
         {m::start, m::roll, m::roll, m::roll, m::roll, m::roll, m::roll}},
        {"a narrow ledge with no other way is taken",
         "start 0 0\nfinish 3 0\npath\n1111\n",
         {{0, 0}, {1, 0}, {2, 0}, {3, 0}},
         {m::start, m::roll, m::roll, m::roll}},
        {"downhill only: a step down rolls, the way back up is a wall",
         "start 0 1\nfinish 3 1\npath\n0000\n3321\n0000\n",
         {{0, 1}, {1, 1}, {2, 1}, {3, 1}},
         {m::start, m::roll, m::roll, m::roll}},
        {"a jump lands two cells on, after the run-up",
         "start 1 2\nfinish 10 2\npath\n000000000000\n022222202222\n022222202222\n"
         "022222202222\n",
         {{1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 2}, {8, 2}, {9, 2}, {10, 2}},
         {m::start, m::roll, m::roll, m::roll, m::roll, m::roll, m::jump, m::roll, m::roll}},
    };
    for (const plan_case& c : cases) {
        const route_plan plan = plan_route(make_level_grid(level_from_text(c.level)));
        ASSERT_TRUE(plan.found) << c.what << ": " << plan.reason;
        std::vector<grid_cell> cells;
        std::vector<route_move> moves;
        for (const route_step& s : plan.steps) {
            cells.push_back(s.cell);
            moves.push_back(s.move);
        }
        EXPECT_EQ(cells, c.cells) << c.what;
        EXPECT_EQ(moves, c.moves) << c.what;
        EXPECT_EQ(plan.flips, 0) << c.what;
    }
    // The reverse of the downhill run climbs: no route.
    const level uphill = level_from_text("start 3 1\nfinish 0 1\npath\n0000\n3321\n0000\n");
    EXPECT_FALSE(plan_route(make_level_grid(uphill)).found);
}

}  // namespace
}  // namespace quillomar

namespace quillomar {
namespace {

TEST(LevelCheck, SpidersReachTheEdgeOfTheirOwnPlatformOnly) {
    // A spider on a 5 x 5 platform at height 2, beside a higher platform.
    const std::string text =
        "enemy 3 1\npath\n0000000000\n0222223330\n0222223330\n0222223330\n0222223330\n"
        "0222223330\n";
    const level_grid grid = make_level_grid(level_from_text(text));
    const struct {
        int x, z;
        bool reached;
    } cells[] = {{1, 1, true}, {3, 1, true}, {5, 5, true}, {1, 5, true}, {3, 3, false},
                 {6, 1, false}, {8, 3, false}, {0, 0, false}};
    for (const auto& c : cells) {
        EXPECT_EQ(grid.spider_can_reach(c.x, c.z), c.reached) << c.x << ", " << c.z;
    }
}

}  // namespace
}  // namespace quillomar
