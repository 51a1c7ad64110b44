// The finishability check on small levels: the planner's verdicts, the problems it names by
// line, and hostile files.
#include <gtest/gtest.h>

#include <sstream>

#include "authoring/level_check.h"
#include "authoring/level_grid.h"
#include "framework/command_line.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

std::string verdict_of(const std::string& text, bool* finishable = nullptr) {
    const test::scratch_dir dir;
    const level_verdict v = check_level_file(dir.write("l.txt", text));
    if (finishable != nullptr) {
        *finishable = v.finishable;
    }
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
};

TEST(LevelCheck, VerdictsFollowHeightsGapsAndItems) {
    const verdict_case cases[] = {
        {"a flat run", "start 1 1\nfinish 5 1\npath\n0000000\n0111111\n0111111\n0111111\n",
         true, "0 lives lost, 0 flips used"},
        {"a finish above everything reachable",
         "start 1 1\nfinish 5 1\npath\n0000000\n0111222\n0111222\n0111222\n", false,
         "not finishable: needs 1 flip but has 0 items"},
        {"a finish beyond a gap no run-up reaches",
         "start 1 1\nfinish 5 1\nitem 1 1\npath\n0000000\n0110222\n0110222\n0110222\n", false,
         "not finishable: no route even with flips"},
        {"a wall that one flip turns into a step, with an item",
         "start 1 2\nfinish 7 2\nitem 2 2\npath\n000000000\n011112220\n011112220\n011112220\n"
         "011112220\n",
         true, "1 flip used"},
        {"the wall's only item on the terrace it guards",
         "start 1 2\nfinish 7 2\nitem 6 2\npath\n000000000\n011112220\n011112220\n011112220\n"
         "011112220\n",
         false, "not finishable: needs 1 flip, but no item can be reached before the flip it pays for\n"},
        {"two walls, both items behind the first",
         "start 1 2\nfinish 11 2\nitem 6 2\nitem 7 2\npath\n0000000000000\n0111122221110\n"
         "0111122221110\n0111122221110\n0111122221110\n",
         false, "needs 2 flips, but not enough items can be reached before the flips they pay for"},
        {"the same wall without an item",
         "start 1 2\nfinish 7 2\npath\n000000000\n011112220\n011112220\n011112220\n011112220\n",
         false, "needs 1 flip but has 0 items"},
        {"a gap after a long run-up",
         "start 1 2\nfinish 11 2\npath\n0000000000000\n0222222202222\n0222222202222\n"
         "0222222202222\n",
         true, "finishable in"},
        {"a gap after a short run-up",
         "start 1 2\nfinish 7 2\npath\n0000000000\n0222202222\n0222202222\n0222202222\n", false,
         "no route even with flips"},
        {"a two-cell gap", "start 1 2\nfinish 11 2\npath\n0000000000000\n0222222002222\n"
                           "0222222002222\n0222222002222\n",
         false, "no route even with flips"},
    };
    for (const verdict_case& c : cases) {
        bool finishable = false;
        const std::string verdict = verdict_of(c.level, &finishable);
        EXPECT_EQ(finishable, c.finishable) << c.what << ": " << verdict;
        EXPECT_NE(verdict.find(c.expected), std::string::npos) << c.what << ": " << verdict;
    }
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

TEST(LevelCheck, CommandLineAsksForCheckingOrGeneratingOrRefuses) {
    struct row {
        std::vector<const char*> args;
        bool check;
        bool generate;
        bool error;
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
    };
    for (const row& r : rows) {
        std::vector<const char*> argv{"quillomar"};
        argv.insert(argv.end(), r.args.begin(), r.args.end());
        const command_line line = parse_command_line(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(!line.error.empty(), r.error) << r.args[0] << " " << line.error;
        if (!r.error) {
            EXPECT_EQ(line.check, r.check);
            EXPECT_EQ(line.generate_seed.has_value(), r.generate);
        }
    }
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
    level lvl;
    std::istringstream in(text);
    lvl.read_stream(in);
    const level_grid grid = make_level_grid(lvl);
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
