#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "records/records_store.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

const std::string header = "quillomar-records 1\n";

class RecordsStore : public ::testing::Test {
protected:
    test::scratch_dir scratch;
    std::string folder = (scratch.path() / "data/quillomar").string();  // save creates it
    std::string file = folder + "/records.txt";
    std::string key = level_key("path\n111\n");
};

TEST_F(RecordsStore, RunsKeepTheBetterOfEachValueThroughSaveAndLoad) {
    records_store store(folder);
    store.load();
    EXPECT_TRUE(store.update_with_run(key, "first.txt", 1.0 / 3.0, 2));
    EXPECT_FALSE(store.update_with_run(key, "worse.txt", 50.0, 3));
    EXPECT_TRUE(store.update_with_run(key, "tab\tname.txt", 40.0, 1));
    for (const double impossible : {0.0, -1.0, double(NAN), double(INFINITY), 2e7}) {
        EXPECT_FALSE(store.update_with_run(key, "x", impossible, 0));
    }
    EXPECT_FALSE(store.update_with_run(key, "x", 1.0, -1));
    const level_record saved = parse_records(test::file_text(file)).value().records.at(key);
    EXPECT_EQ(saved.best_time_seconds, 1.0 / 3.0);
    EXPECT_EQ(saved.fewest_lives_lost, 1);
    EXPECT_EQ(saved.level_name, "tab?name.txt");
}

TEST_F(RecordsStore, DamagedFileIsMovedAsideWithOneLineAndPlayGoesOn) {
    scratch.write("data/quillomar/records.txt", "junk");
    scratch.write("data/quillomar/records.txt.damaged", "older");
    records_store store(folder);
    test::stream_capture console;
    store.load();
    ASSERT_EQ(console.lines().size(), 1u) << console.text();
    EXPECT_NE(console.text().find(file + ".damaged.1"), std::string::npos);
    EXPECT_TRUE(store.records().empty());
    EXPECT_EQ(test::file_text(file + ".damaged") + test::file_text(file + ".damaged.1"), "olderjunk");
    EXPECT_TRUE(store.update_with_run(key, "level.txt", 9.0, 0));
    EXPECT_TRUE(parse_records(test::file_text(file)));
}

TEST_F(RecordsStore, SaveKilledBeforeItsRenameLeavesTheOldFileAndTheNextSaveWorks) {
    records_store(folder).update_with_run(key, "level.txt", 30.0, 2);
    // What a save killed between write and rename leaves: its temporary file beside the old one.
    scratch.write("data/quillomar/records.txt.k1ll3d", header + "0123");
    records_store store(folder);
    test::stream_capture console;
    store.load();
    EXPECT_EQ(console.text(), "");
    ASSERT_NE(store.find(key), nullptr);
    EXPECT_TRUE(store.update_with_run(key, "level.txt", 20.0, 2));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);
    EXPECT_EQ(parse_records(test::file_text(file))->records.at(key).best_time_seconds, 20.0);
    EXPECT_FALSE(records_store(file + "/below_a_file").save());
    EXPECT_NE(console.text().find("could not save"), std::string::npos);
}

TEST_F(RecordsStore, OneBadLineCostsOnlyItselfThroughTheNextWin) {
    const std::string good = "0123456789abcdef 12.5 0 a.txt\nfedcba9876543210 7 1 b.txt\n";
    scratch.write("data/quillomar/records.txt", header + good + "0123456789abcdef 1 0 again\n" +
                                                    "junk line\nffffffffffffffff 3 0 cut");
    records_store store(folder);
    test::stream_capture console;
    store.load();
    ASSERT_EQ(console.lines().size(), 1u) << console.text();
    EXPECT_NE(console.text().find("3 damaged lines"), std::string::npos) << console.text();
    EXPECT_EQ(test::file_text(file + ".damaged"),
              "0123456789abcdef 1 0 again\njunk line\nffffffffffffffff 3 0 cut\n");
    EXPECT_EQ(test::file_text(file), header + good);  // saved again without them: found once only
    EXPECT_TRUE(store.update_with_run(key, "c.txt", 9.0, 0));
    const records_map kept = parse_records(test::file_text(file))->records;
    EXPECT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept.at("0123456789abcdef").best_time_seconds, 12.5);
}

TEST(RecordsParse, AcceptsWhatItWritesAndSetsAsideEachDamagedLine) {
    const std::string line = "0123456789abcdef 12.5 0 level.txt\n";
    EXPECT_EQ(format_records(parse_records(header + line).value().records), header + line);
    for (const std::string& text : {std::string(), "junk\n" + line,
                                    "quillomar-records 2\n" + line, std::string("quillomar-records 1")}) {
        std::string why;
        EXPECT_FALSE(parse_records(text, &why)) << text;
        EXPECT_NE(why, "") << text;
    }
    // After the header: an empty line, an upper-case key, no key; after a good key: huge,
    // negative, zero and not numbers, bad blanks, control characters; a cut-off last line.
    std::istringstream rows(
        "|0123456789ABCDEF 1 0 a|1 0 a|@1e308 0|@12 99999999999|@-3 0|@0 0|@nan 0|@12 -1|@12.5x 0"
        "|@ 12 0|@12 0 a\r|@12 0 \x01");
    for (std::string row; std::getline(rows, row, '|');) {
        const std::string bad = row[0] == '@' ? "0123456789abcdef " + row.substr(1) + " a" : row;
        std::string why;
        const auto parsed = parse_records(header + "fedcba9876543210 1 0 x\n" + bad + "\n", &why);
        ASSERT_TRUE(parsed) << bad;
        EXPECT_EQ(parsed->records.size(), 1u) << bad;
        EXPECT_EQ(parsed->damaged_lines, std::vector<std::string>{bad});
        EXPECT_NE(why, "") << bad;
    }
    EXPECT_EQ(parse_records(header + line + line.substr(0, 20))->damaged_lines.size(), 1u);
    EXPECT_EQ(level_key("") + level_key("a"), "cbf29ce484222325af63dc4c8601ec8c");
}

TEST(RecordsFolder, FollowsTheXdgBaseDirectoryRules) {
    EXPECT_EQ(records_folder("/x/data", "/home/p"), "/x/data/quillomar");
    EXPECT_EQ(records_folder("relative", "/home/p"), "/home/p/.local/share/quillomar");
    EXPECT_EQ(records_folder(nullptr, ""), "");
}

}  // namespace
}  // namespace quillomar
