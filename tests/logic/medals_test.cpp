// Medal times: made from a proven time, which medal a finish earns, and their file.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "authoring/level_check.h"
#include "authoring/proven_medals.h"
#include "records/medal_store.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

std::string read(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

TEST(MedalTimes, EachIsAFixedMultipleOfTheProvenTimeRoundedUpToATenth) {
    const std::pair<double, const char*> rows[] = {
        {47.87, "author 47.9 s, gold 59.9 s, silver 76.6 s, bronze 105.4 s"},
        {20.0, "author 20.0 s, gold 25.0 s, silver 32.0 s, bronze 44.0 s"},  // exact stays
        {0.01, "author 0.1 s, gold 0.1 s, silver 0.1 s, bronze 0.1 s"},
        {100.05, "author 100.1 s, gold 125.1 s, silver 160.1 s, bronze 220.2 s"},
    };
    for (const auto& [seconds, text] : rows) {
        const std::optional<medal_times> times = medal_times_for(seconds);
        ASSERT_TRUE(times) << seconds;
        EXPECT_EQ(medal_times_text(*times), text);
        EXPECT_TRUE(usable(*times));
    }
    for (const double none : {0.0, -1.0, double(NAN), double(INFINITY), max_medal_seconds * 2}) {
        EXPECT_FALSE(medal_times_for(none)) << none;
    }
    EXPECT_TRUE(medal_times_for(max_medal_seconds));
}

TEST(MedalTimes, AFinishEarnsTheBestMedalItReachesAndNamesTheNextTimeToBeat) {
    const medal_times times{479, 599, 766, 1054};
    const struct {
        double seconds;
        medal earned;
        long next;  // 0: none
    } rows[] = {{47.9, medal::author, 0},    {20.0, medal::author, 0},
                {47.95, medal::gold, 479},   {59.9, medal::gold, 479},
                {60.0, medal::silver, 599},  {76.6, medal::silver, 599},
                {76.65, medal::bronze, 766}, {105.4, medal::bronze, 766},
                {105.45, medal::none, 1054}, {0.0, medal::none, 1054}};
    for (const auto& r : rows) {
        EXPECT_EQ(medal_for(times, r.seconds), r.earned) << r.seconds;
        EXPECT_EQ(next_medal_tenths(times, r.earned).value_or(0), r.next) << r.seconds;
    }
    EXPECT_EQ(medal_name(medal::author) + medal_name(medal::gold) + medal_name(medal::silver) +
                  medal_name(medal::bronze) + medal_name(medal::none),
              "authorgoldsilverbronze");
}

const std::string header = "quillomar-medals 1\n";
const std::string good = "0123456789abcdef 47.9 59.9 76.6 105.4\n";

TEST(MedalFile, ReadsWhatItWritesAndEachDamagedLineCostsOnlyItself) {
    EXPECT_EQ(format_medals(parse_medals(header + good).value().medals), header + good);
    for (const std::string& text :
         {std::string(), "quillomar-medals 2\n" + good, std::string("quillomar-medals 1")}) {
        std::string why;
        EXPECT_FALSE(parse_medals(text, &why)) << text;
        EXPECT_NE(why, "") << text;
    }
    // Key faults, field counts, number shapes, order and limits, a repeat, a cut-off line.
    std::istringstream rows(
        "0123456789ABCDEF 1.0 2.0 3.0 4.0|1.0 2.0 3.0 4.0|@1.0 2.0 3.0|@1.0 2.0 3.0 4.0 5.0"
        "|@1.0 2.0 3.0 4.0 |@1.0  2.0 3.0 4.0|@1.00 2.0 3.0 4.0|@01.0 2.0 3.0 4.0|@1. 2.0 3.0 4.0"
        "|@-1.0 2.0 3.0 4.0|@+1.0 2.0 3.0 4.0|@1,0 2.0 3.0 4.0|@0.0 2.0 3.0 4.0|@2.0 1.0 3.0 4.0"
        "|@1.0 3.0 2.0 4.0|@1.0 2.0 4.0 3.0|@1.0 2.0 3.0 99999999.9|@1.0 2.0 3.0 4.0\r"
        "|fedcba9876543210 9.0 9.0 9.0 9.0");
    for (std::string row; std::getline(rows, row, '|');) {
        const std::string bad = row[0] == '@' ? "0123456789abcdef " + row.substr(1) : row;
        std::string why;
        const auto parsed =
            parse_medals(header + "fedcba9876543210 0.1 0.1 0.1 0.1\n" + bad + "\n", &why);
        ASSERT_TRUE(parsed) << bad;
        EXPECT_EQ(parsed->medals.size(), 1u) << bad;
        EXPECT_EQ(parsed->damaged_lines, std::vector<std::string>{bad});
        EXPECT_EQ(why.rfind("line 3 ", 0), 0u) << why;
    }
    EXPECT_EQ(parse_medals(header + good + good.substr(0, 20))->damaged_lines.size(), 1u);
}

TEST(MedalFile, TheStoreSetsAsideDamageAndKeepsTheRest) {
    const test::scratch_dir scratch;
    const std::string folder = (scratch.path() / "data").string();
    const std::string file = folder + "/medals.txt";
    const std::string key = "fedcba9876543210";
    scratch.write("data/medals.txt", header + good + "junk\n");
    medal_store store(folder);
    EXPECT_NE(store.load().value_or("").find("1 damaged lines"), std::string::npos);
    EXPECT_EQ(read(file + ".damaged"), "junk\n");
    EXPECT_EQ(read(file), header + good);
    EXPECT_FALSE(store.set(key, {20, 10, 30, 40}));
    EXPECT_FALSE(store.set("not a key", {10, 20, 30, 40}));
    EXPECT_TRUE(store.set(key, {10, 20, 30, 40}));
    medal_store again(folder);
    EXPECT_FALSE(again.load());
    EXPECT_EQ(again.medals(), store.medals());
    ASSERT_NE(again.find(key), nullptr);
    EXPECT_EQ(again.find(key)->bronze, 40);
    // A folder where the file should be is no medals file: moved aside whole.
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    EXPECT_NE(medal_store(folder).load().value_or("").find(file + ".damaged.1"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(file + ".damaged.1"));
}

TEST(ProvenMedals, ComeFromTheCheckersTimeOrNotAtAll) {
    const test::scratch_dir dir;
    const auto read_level = [&dir](const std::string& text) {
        level lvl;
        const test::stream_capture quiet;
        lvl.read_file(dir.write("l.txt", text));
        return lvl;
    };
    const level flat =
        read_level("start 1 1\nfinish 5 1\npath\n0000000\n0111111\n0111111\n0111111\n");
    const level_verdict verdict = check_level(flat, "l.txt");
    ASSERT_TRUE(verdict.finishable);
    const test::stream_capture console;
    EXPECT_EQ(prove_medal_times(flat), medal_times_for(verdict.seconds));
    const std::atomic<bool> cancelled{true};
    EXPECT_FALSE(prove_medal_times(flat, &cancelled));
    EXPECT_FALSE(prove_medal_times(
        read_level("start 1 1\nfinish 5 1\npath\n0000000\n0111222\n0111222\n0111222\n")));
    EXPECT_EQ(console.text(), "");
    EXPECT_NE(verdict.lines.back().find("; medals: " +
                                        medal_times_text(*medal_times_for(verdict.seconds))),
              std::string::npos);
}

}  // namespace
}  // namespace quillomar
