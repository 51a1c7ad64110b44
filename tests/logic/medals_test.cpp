// Medal times: made from a proven time, which medal a finish earns, and their file.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "authoring/level_check.h"
#include "authoring/proven_medals.h"
#include "framework/bounded_read.h"
#include "records/medal_store.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

TEST(MedalTimes, MultiplesOfTheProvenTimeRoundedUpToATenthAndTheMedalAFinishEarns) {
    const std::pair<double, const char*> made[] = {
        {47.87, "author 47.9 s, gold 59.9 s, silver 76.6 s, bronze 105.4 s"},
        {20.0, "author 20.0 s, gold 25.0 s, silver 32.0 s, bronze 44.0 s"},  // exact stays
        {100.05, "author 100.1 s, gold 125.1 s, silver 160.1 s, bronze 220.2 s"},
    };
    for (const auto& [seconds, text] : made) {
        EXPECT_EQ(medal_times_text(medal_times_for(seconds).value()), text);
    }
    for (const double none : {0.0, -1.0, double(NAN), double(INFINITY), max_medal_seconds * 2}) {
        EXPECT_FALSE(medal_times_for(none)) << none;
    }
    // 47.87 s gives author 47.9, gold 59.9, silver 76.6, bronze 105.4; 0: no next time.
    const std::tuple<double, const char*, long> finishes[] = {
        {47.9, "author", 0},    {5.0, "author", 0},     {47.95, "gold", 479},
        {59.9, "gold", 479},    {60.0, "silver", 599},  {76.6, "silver", 599},
        {76.65, "bronze", 766}, {105.4, "bronze", 766}, {105.45, "", 1054}};
    for (const auto& [seconds, name, next] : finishes) {
        const medal earned = medal_for(*medal_times_for(47.87), seconds);
        EXPECT_EQ(medal_name(earned), name) << seconds;
        EXPECT_EQ(next_medal_tenths(*medal_times_for(47.87), earned).value_or(0), next);
    }
    // During play: the best medal still to be had, bronze out of reach once it has passed.
    const std::tuple<double, const char*, long, bool> targets[] = {
        {0.0, "author", 479, true},    {47.9, "author", 479, true}, {47.95, "gold", 599, true},
        {76.65, "bronze", 1054, true}, {105.45, "bronze", 1054, false}};
    for (const auto& [seconds, name, tenths, reach] : targets) {
        const medal_target t = medal_in_reach(*medal_times_for(47.87), seconds);
        EXPECT_EQ(std::tuple(medal_name(t.earned), t.tenths, t.in_reach),
                  std::tuple(std::string(name), tenths, reach))
            << seconds;
    }
}

const std::string header = "quillomar-medals 1\n";
const std::string good = "0123456789abcdef 47.9 59.9 76.6 105.4\n";
// Version 2 names the steering the times were proven with; version 1's were proven classically.
const std::string header_2 = "quillomar-medals 2\n";
const std::string stale = "0123456789abcdef classic 47.9 59.9 76.6 105.4\n";

TEST(MedalFile, ReadsWhatItWritesAndEachDamagedLineCostsOnlyItselfInTheStoreToo) {
    EXPECT_EQ(format_medals(parse_medals(header + good).value().medals), header_2 + stale);
    const std::string direct = "0123456789abcdef direct 47.9 59.9 76.6 105.4\n";
    EXPECT_EQ(format_medals(parse_medals(header_2 + direct).value().medals), header_2 + direct);
    for (const std::string& text : {header_2 + good, header + direct, header_2 + "0123456789abcdef"
                                                                      " sideways 1.0 2.0 3.0 4.0\n"}) {
        EXPECT_EQ(parse_medals(text).value().damaged_lines.size(), 1u) << text;
    }
    for (const std::string& text :
         {std::string(), "quillomar-medals 3\n" + good, header.substr(1)}) {
        std::string why;
        EXPECT_TRUE(!parse_medals(text, &why) && !why.empty()) << text;
    }
    // Key faults, field counts, number shapes, order and limits, a repeat, a cut-off line.
    std::istringstream rows(
        "0123456789ABCDEF 1.0 2.0 3.0 4.0|1.0 2.0 3.0 4.0|@1.0 2.0 3.0|@1.0 2.0 3.0 4.0 5.0"
        "|@1.0 2.0 3.0 4.0 |@1.0  2.0 3.0 4.0|@1.00 2.0 3.0 4.0|@01.0 2.0 3.0 4.0|@1. 2.0 3.0 4.0"
        "|@-1.0 2.0 3.0 4.0|@+1.0 2.0 3.0 4.0|@1,0 2.0 3.0 4.0|@0.0 2.0 3.0 4.0|@2.0 1.0 3.0 4.0"
        "|@1.0 3.0 2.0 4.0|@1.0 2.0 4.0 3.0|@1.0 2.0 3.0 99999999.9|@1.0 2.0 3.0 4.0\r"
        "|fedcba9876543210 9.0 9.0 9.0 9.0|@1.0 2.0 3.0 4.x");
    for (std::string row; std::getline(rows, row, '|');) {
        const std::string bad = row[0] == '@' ? "0123456789abcdef " + row.substr(1) : row;
        std::string why;
        const auto parsed =
            parse_medals(header + "fedcba9876543210 0.1 0.1 0.1 0.1\n" + bad + "\n", &why);
        ASSERT_TRUE(parsed && parsed->medals.size() == 1) << bad;
        EXPECT_EQ(parsed->damaged_lines, std::vector<std::string>{bad});
        EXPECT_EQ(why.rfind("line 3 ", 0), 0u) << why;
    }
    EXPECT_EQ(parse_medals(header + good + good.substr(0, 20))->damaged_lines.size(), 1u);
    // The store sets damage aside and keeps the rest.
    const test::scratch_dir scratch;
    const std::string file = scratch.write("medals.txt", header + good + "junk\n");
    medal_store store(scratch.path().string());
    EXPECT_NE(store.load().value_or("").find("1 damaged lines"), std::string::npos);
    std::string aside, kept;
    read_bounded(file + ".damaged", 99, aside);
    read_bounded(file, 99, kept);
    EXPECT_EQ(aside + kept, "junk\n" + header_2 + stale);
    // Times proven with the old steering are never handed out: the level's are proven again.
    EXPECT_EQ(store.find("0123456789abcdef"), nullptr);
    EXPECT_TRUE(store.set("0123456789abcdef", {479, 599, 766, 1054}));
    EXPECT_EQ(store.find("0123456789abcdef")->proven_by, steering::direct);
    EXPECT_FALSE(store.set("fedcba9876543210", {20, 10, 30, 40}));
    EXPECT_FALSE(store.set("not a key", {10, 20, 30, 40}));
    EXPECT_TRUE(store.set("fedcba9876543210", {10, 20, 30, 40}));
    medal_store again(scratch.path().string());
    EXPECT_FALSE(again.load());
    EXPECT_EQ(again.medals(), store.medals());
    EXPECT_TRUE(again.find("fedcba9876543210")->bronze == 40 && !again.find("ffffffffffffffff"));
    // A folder where the file should be is no medals file: moved aside whole.
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    EXPECT_NE(medal_store(scratch.path().string()).load().value_or("").find(file + ".damaged.1"),
              std::string::npos);
}

TEST(ProvenMedals, ComeFromTheCheckersTimeOrNotAtAll) {
    const auto read_level = [](std::string text) {
        return test::level_from_text("start 1 1\nfinish 5 1\npath\n0000000\n" + text);
    };
    const level flat = read_level("0111111\n0111111\n0111111\n");
    const level_verdict verdict = check_level(flat, "l.txt");
    const std::string medals = medal_times_text(medal_times_for(verdict.seconds).value());
    EXPECT_NE(verdict.lines.back().find(" used; medals: " + medals), std::string::npos);
    const test::stream_capture console;
    EXPECT_EQ(prove_medal_times(flat), medal_times_for(verdict.seconds));
    const std::atomic<bool> cancelled{true};
    EXPECT_FALSE(prove_medal_times(flat, &cancelled));
    EXPECT_FALSE(prove_medal_times(read_level("0111222\n0111222\n0111222\n")));
    EXPECT_EQ(console.text(), "");
}

}  // namespace
}  // namespace quillomar
