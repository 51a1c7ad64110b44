// Reading the level file: keywords, the argument rule, the layout, the printed lines, bad input.
#include <algorithm>
#include <climits>
#include <iterator>
#include <sstream>
#include <streambuf>
#include <string>

#include "level/header_line_scanner.h"
#include "level/level.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

using test::stream_capture;

struct read_result {
    level lvl;
    std::vector<std::string> lines;
};

read_result read_text(const std::string& text) {
    read_result r;
    std::istringstream in(text);
    stream_capture capture;
    r.lvl.read_stream(in);
    r.lines = capture.lines();
    return r;
}

header_line scan(const std::string& line) {
    header_line_scanner scanner;
    for (const char c : line) {
        scanner.feed(static_cast<unsigned char>(c));
    }
    return scanner.result();
}

TEST(level_parse, keywords_set_start_finish_enemies_and_items_in_world_units) {
    const read_result r = read_text("start 1 1\nfinish 4 2\nenemy 2 1\nitem 3 1\npath\n");
    EXPECT_EQ(r.lvl.start, glm::vec2(2.0f, 2.0f));
    EXPECT_EQ(r.lvl.finish, glm::vec2(8.0f, 4.0f));
    ASSERT_EQ(r.lvl.enemies.size(), 1u);
    EXPECT_EQ(r.lvl.enemies[0], glm::vec3(4.0f, 0.0f, 2.0f));
    ASSERT_EQ(r.lvl.items.size(), 1u);
    EXPECT_EQ(r.lvl.items[0], glm::vec3(6.0f, 0.0f, 2.0f));
    EXPECT_EQ(r.lvl.initial_items, r.lvl.items);
}

TEST(level_parse, argument_rule_consequences) {
    // One argument serves as both.
    EXPECT_EQ(scan("enemy 7").x, 7);
    EXPECT_EQ(scan("enemy 7").z, 7);
    // More than two: the first and the last.
    EXPECT_EQ(scan("item 1 2 3").x, 1);
    EXPECT_EQ(scan("item 1 2 3").z, 3);
    // Two spaces after the keyword leave X empty.
    EXPECT_EQ(scan("start  3 4").x, 0);
    EXPECT_EQ(scan("start  3 4").z, 4);
    // A keyword alone.
    EXPECT_EQ(scan("finish").keyword, header_keyword::finish);
    EXPECT_EQ(scan("finish").x, 0);
    EXPECT_EQ(scan("finish").z, 0);
    // With a single space X is at most as long as the keyword: "item" keeps four characters.
    EXPECT_EQ(scan("item 123456").x, 1234);
    EXPECT_EQ(scan("item 123456").z, 123456);
    // atoi: blanks, sign, digits, then anything stops the number.
    EXPECT_EQ(scan("start -3 +4").x, -3);
    EXPECT_EQ(scan("start -3 +4").z, 4);
    EXPECT_EQ(scan("start 5x 6y").x, 5);
    EXPECT_EQ(scan("start 5x 6y").z, 6);
    EXPECT_EQ(scan("start \t3 \t9").x, 3);
    EXPECT_EQ(scan("start \t3 \t9").z, 9);
    EXPECT_EQ(scan("start a b").x, 0);
    EXPECT_EQ(scan("start - -").z, 0);
}

TEST(level_parse, keywords_are_exact_and_other_lines_are_comments) {
    EXPECT_EQ(scan("Start 1 1").keyword, header_keyword::none);
    EXPECT_EQ(scan("starts 1 1").keyword, header_keyword::none);
    EXPECT_EQ(scan(" start 1 1").keyword, header_keyword::none);
    EXPECT_EQ(scan("# start 1 1").keyword, header_keyword::none);
    EXPECT_EQ(scan("").keyword, header_keyword::none);
    EXPECT_EQ(scan("path 3 4").keyword, header_keyword::path);
    const read_result r = read_text("# a comment\n start 5 5\n\nitems 1 1\nstart 2 3\npath\n");
    EXPECT_EQ(r.lvl.start, glm::vec2(4.0f, 6.0f));
    EXPECT_TRUE(r.lvl.items.empty());
}

TEST(level_parse, numbers_beyond_32_bits_are_clamped) {
    EXPECT_EQ(scan("start 99999999999999999999 -99999999999999999999").x, INT_MAX);
    EXPECT_EQ(scan("start 99999999999999999999 -99999999999999999999").z, INT_MIN);
    EXPECT_EQ(scan("start 2147483647 -2147483648").x, INT_MAX);
    EXPECT_EQ(scan("start 2147483647 -2147483648").z, INT_MIN);
    const read_result r = read_text("start 99999999999 -99999999999\n");
    EXPECT_EQ(r.lvl.start, glm::vec2(4294967296.0f, -4294967296.0f));
}

TEST(level_parse, later_start_and_finish_replace_earlier_ones) {
    const read_result r = read_text("start 3 4\nstart 5 6\nfinish 1 1\nfinish 7 8\n");
    EXPECT_EQ(r.lvl.start, glm::vec2(10.0f, 12.0f));
    EXPECT_EQ(r.lvl.finish, glm::vec2(14.0f, 16.0f));
}

TEST(level_parse, the_same_item_twice_gives_two_items) {
    const read_result r = read_text("item 2 2\nitem 2 2\n");
    EXPECT_EQ(r.lvl.items.size(), 2u);
    EXPECT_EQ(r.lvl.initial_items.size(), 2u);
}

TEST(level_parse, layout_digits_give_cubes_in_reading_order) {
    const read_result r = read_text("path\n0120\n.9 x3\n");
    const std::vector<glm::vec3> expected = {
        {2.0f, 2.0f, 0.0f}, {4.0f, 4.0f, 0.0f}, {2.0f, 18.0f, 2.0f}, {8.0f, 6.0f, 2.0f}};
    EXPECT_EQ(r.lvl.cubes, expected);
    EXPECT_EQ(r.lvl.centre, glm::vec3(5.0f, 30.0f, 2.0f));
}

TEST(level_parse, header_keywords_after_path_are_layout_rows) {
    const read_result r = read_text("path\nenemy 3 4\npath\n");
    EXPECT_TRUE(r.lvl.enemies.empty());
    const std::vector<glm::vec3> expected = {{12.0f, 6.0f, 0.0f}, {16.0f, 8.0f, 0.0f}};
    EXPECT_EQ(r.lvl.cubes, expected);
    EXPECT_EQ(r.lines, (std::vector<std::string>{"path is starting", "center point: 4, 2"}));
}

TEST(level_parse, blank_rows_count_and_a_final_line_feed_adds_none) {
    EXPECT_EQ(read_text("path\n111\n").lines.back(), "center point: 3, 1");
    EXPECT_EQ(read_text("path\n111").lines.back(), "center point: 3, 1");
    EXPECT_EQ(read_text("path\n111\n\n").lines.back(), "center point: 0, 2");
    const read_result r = read_text("path\n\n\n1\n");
    ASSERT_EQ(r.lvl.cubes.size(), 1u);
    EXPECT_EQ(r.lvl.cubes[0], glm::vec3(0.0f, 2.0f, 4.0f));
}

TEST(level_parse, carriage_return_before_line_feed_is_not_part_of_the_line) {
    const read_result crlf = read_text("start 3 4\r\npath\r\n0120\r\n");
    EXPECT_EQ(crlf.lvl.start, glm::vec2(6.0f, 8.0f));
    EXPECT_EQ(crlf.lvl.cubes.size(), 2u);
    EXPECT_EQ(crlf.lines, (std::vector<std::string>{"path is starting", "center point: 4, 1"}));
    // Elsewhere a carriage return is an ordinary character: here it ends the keyword "path\r",
    // which is no keyword, and in a row it is one more column.
    EXPECT_EQ(read_text("path\r\r\n1\n").lines, (std::vector<std::string>{"center point: 0, 0"}));
    EXPECT_EQ(read_text("path\n1\r").lines.back(), "center point: 2, 1");
    EXPECT_EQ(read_text("path\n1\r\r\n").lines.back(), "center point: 2, 1");
}

TEST(level_parse, prints_path_and_centre_lines_in_order) {
    const read_result r = read_text("start 1 1\npath\n00000\n01111\n01121\n");
    EXPECT_EQ(r.lines, (std::vector<std::string>{"path is starting", "center point: 5, 3"}));
    EXPECT_EQ(r.lvl.centre, glm::vec3(5.0f, 30.0f, 3.0f));
}

TEST(level_parse, without_path_there_are_no_cubes_and_the_centre_is_zero) {
    read_result r = read_text("start 1 1\nitem 1 1\nenemy 2 2\n0111\n");
    EXPECT_TRUE(r.lvl.cubes.empty());
    EXPECT_EQ(r.lvl.centre, glm::vec3(0.0f, 30.0f, 0.0f));
    EXPECT_EQ(r.lines, (std::vector<std::string>{"center point: 0, 0"}));
    r.lvl.place_items();
    r.lvl.place_enemies();
    EXPECT_EQ(r.lvl.items[0].y, -22.0f);
    EXPECT_EQ(r.lvl.initial_items[0].y, -22.0f);
    EXPECT_EQ(r.lvl.enemies[0].y, -22.6f);
}

TEST(level_parse, missing_file_prints_one_line_and_leaves_the_level_empty) {
    level lvl;
    lvl.flipped = true;
    stream_capture capture;
    EXPECT_FALSE(lvl.read_file("/nonexistent/quillomar/level.txt"));
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"Unable to open levelfile: "}));
    EXPECT_TRUE(lvl.cubes.empty());
    EXPECT_FALSE(lvl.flipped);
    EXPECT_EQ(lvl.centre, glm::vec3(0.0f));
    EXPECT_TRUE(lvl.leg_offsets.empty());
}

TEST(level_parse, read_file_reads_from_disk) {
    test::scratch_dir dir;
    const std::string path = dir.write("level.txt", "finish 2 0\npath\n22\n");
    level lvl;
    stream_capture capture;
    EXPECT_TRUE(lvl.read_file(path));
    EXPECT_EQ(lvl.cubes.size(), 2u);
    EXPECT_EQ(lvl.finish, glm::vec2(4.0f, 0.0f));
}

TEST(level_parse, placement_puts_items_on_tops_and_spiders_below_them_with_legs) {
    read_result r = read_text("item 1 0\nenemy 0 0\nenemy 1 0\npath\n12\n");
    r.lvl.place_items();
    r.lvl.place_enemies();
    // The border point x = 2 belongs to both cubes; the first one wins.
    EXPECT_EQ(r.lvl.items[0].y, 4.0f);
    EXPECT_EQ(r.lvl.initial_items[0].y, 4.0f);
    EXPECT_EQ(r.lvl.enemies[0].y, 3.4f);
    EXPECT_EQ(r.lvl.enemies[1].y, 3.4f);
    EXPECT_EQ(r.lvl.headings, std::vector<glm::vec3>(2, glm::vec3(-1.0f, 0.0f, 0.0f)));
    EXPECT_EQ(r.lvl.leg_offsets.size(), 8u);
    EXPECT_EQ(r.lvl.leg_from.size(), 8u);
    EXPECT_EQ(r.lvl.leg_durations, std::vector<double>(8, 0.5));
    EXPECT_EQ(r.lvl.leg_started, std::vector<double>(8, 0.0));
    EXPECT_EQ(r.lvl.leg_moving, std::vector<bool>(8, false));
    EXPECT_EQ(r.lvl.leg_amplitudes,
              (std::vector<float>{5.0f, 5.0f, 4.0f, 4.0f, 5.0f, 5.0f, 6.0f, 6.0f}));
}

TEST(level_parse_bad_input, odd_bytes_are_ordinary_characters) {
    std::string text = "start 1 1\npath\n1";
    text += '\0';
    text +=
        "2\xff\x80"
        "3\n";
    const read_result r = read_text(text);
    ASSERT_EQ(r.lvl.cubes.size(), 3u);
    EXPECT_EQ(r.lvl.cubes[2], glm::vec3(10.0f, 6.0f, 0.0f));
    std::string header = "start";
    header += '\0';
    header += " 4 4\nitem\xff 1 1\n";
    EXPECT_EQ(read_text(header).lvl.start, glm::vec2(0.0f));
    EXPECT_TRUE(read_text(header).lvl.items.empty());
}

TEST(level_parse_bad_input, empty_input_and_no_final_line_feed) {
    EXPECT_EQ(read_text("").lines, (std::vector<std::string>{"center point: 0, 0"}));
    EXPECT_EQ(read_text("start 3 4").lvl.start, glm::vec2(6.0f, 8.0f));
    EXPECT_EQ(read_text("path").lines,
              (std::vector<std::string>{"path is starting", "center point: 0, 0"}));
}

TEST(level_parse_bad_input, megabyte_lines_are_read_in_full) {
    const std::string long_header = "start " + std::string(1 << 20, 'x') + " 7\n";
    EXPECT_EQ(read_text(long_header + "path\n").lvl.start, glm::vec2(0.0f, 14.0f));
    const std::string long_number = "enemy " + std::string(1 << 20, '9') + "\n";
    const read_result number = read_text(long_number);
    ASSERT_EQ(number.lvl.enemies.size(), 1u);
    // One space: X is cut to the keyword's length, Z is the whole clamped number.
    EXPECT_EQ(number.lvl.enemies[0], glm::vec3(199998.0f, 0.0f, 4294967296.0f));
    const read_result row = read_text("path\n" + std::string(1 << 20, '.') + "5\n");
    ASSERT_EQ(row.lvl.cubes.size(), 1u);
    EXPECT_EQ(row.lvl.cubes[0].x, 2.0f * (1 << 20));
    EXPECT_EQ(row.lines.back(), "center point: 1048577, 1");
}

TEST(level_parse_bad_input, each_kind_stops_at_its_limit_with_one_line_and_reading_goes_on) {
    std::string text;
    for (int i = 0; i < 258; ++i) {
        text += "item 1 1\nenemy 1 1\n";
    }
    text += "start 2 2\npath\n" + std::string(16386, '1') + "\n";
    const read_result r = read_text(text);
    EXPECT_EQ(r.lvl.items.size(), 256u);
    EXPECT_EQ(r.lvl.initial_items.size(), 256u);
    EXPECT_EQ(r.lvl.enemies.size(), 256u);
    EXPECT_EQ(r.lvl.cubes.size(), 16384u);
    EXPECT_EQ(r.lvl.start, glm::vec2(4.0f));
    EXPECT_EQ(r.lines,
              (std::vector<std::string>{
                  "Level file has more than 256 items; the rest are ignored.",
                  "Level file has more than 256 enemies; the rest are ignored.", "path is starting",
                  "Level file has more than 16384 cubes; the rest are ignored.",
                  "center point: 16386, 1"}));
}

// An input that never ends: "path", then one row of '1' after another without a line feed.
class endless_layout : public std::streambuf {
public:
    endless_layout() { setg(start_, start_, start_ + 5); }

protected:
    int_type underflow() override {
        std::fill(std::begin(ones_), std::end(ones_), '1');
        setg(ones_, ones_, ones_ + sizeof ones_);
        return traits_type::to_int_type('1');
    }

private:
    char start_[6] = "path\n";
    char ones_[4096];
};

TEST(level_parse_bad_input, an_endless_input_stops_at_the_cube_and_size_limits) {
    endless_layout source;
    std::istream in(&source);
    level lvl;
    stream_capture capture;
    lvl.read_stream(in);
    EXPECT_EQ(lvl.cubes.size(), level::max_cubes);
    EXPECT_EQ(capture.lines(),
              (std::vector<std::string>{
                  "path is starting", "Level file has more than 16384 cubes; the rest are ignored.",
                  "Level file is longer than 67108864 bytes; the rest is ignored.",
                  "center point: 67108859, 1"}));
}

TEST(level_parse_bad_input, a_layout_of_128_by_128_cubes_is_read_whole) {
    std::string text = "path\n";
    for (int row = 0; row < 128; ++row) {
        text += std::string(128, '3') + "\n";
    }
    const read_result r = read_text(text);
    ASSERT_EQ(r.lvl.cubes.size(), 16384u);
    EXPECT_EQ(r.lvl.cubes.back(), glm::vec3(254.0f, 6.0f, 254.0f));
    EXPECT_EQ(r.lines, (std::vector<std::string>{"path is starting", "center point: 128, 128"}));
}

}  // namespace
}  // namespace quillomar
