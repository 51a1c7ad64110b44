// Reading the level file: keywords, the argument rule, the layout, the printed lines, bad input.
#include <climits>
#include <sstream>
#include <tuple>

#include "actors/level_actors.h"
#include "level/header_line_scanner.h"
#include "level/level.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

using lines = std::vector<std::string>;

// The level read from `text`, and the console lines the reader handed back; it prints none.
std::pair<level, lines> read_text(const std::string& text) {
    std::istringstream in(text);
    test::stream_capture capture;
    level lvl;
    lines said;
    lvl.read_stream(in, "(stream)", &said);
    EXPECT_EQ(capture.text(), "");
    return {lvl, said};
}

TEST(level_parse, header_lines_follow_the_keyword_and_argument_rule) {
    // One argument serves as both; of more, the first and the last count; two spaces leave X
    // empty; with one space X is at most as long as the keyword; without a space both numbers
    // read the whole line; numbers read like atoi, clamped to 32 bits.
    using k = header_keyword;
    const std::tuple<const char*, header_keyword, int, int> cases[] = {
        {"enemy 7", k::enemy, 7, 7},
        {"item 10 2 30", k::item, 10, 30},
        {"start  3 4", k::start, 0, 4},
        {"finish", k::finish, 0, 0},
        {"item 123456", k::item, 1234, 123456},
        {"7", k::none, 7, 7},
        {"path -3 +4", k::path, -3, 4},
        {"start 5x \t6y", k::start, 5, 6},
        {"start a -", k::start, 0, 0},
        {"Start 1 1", k::none, 1, 1},
        {"starts 1 1", k::none, 1, 1},
        {"# start 1", k::none, 0, 1},
        {"start 2147483647 -2147483648", k::start, INT_MAX, INT_MIN},
        {"start 2147483648 -2147483649", k::start, INT_MAX, INT_MIN},
        {"start 99999999999999999999 -99999999999999999999", k::start, INT_MAX, INT_MIN}};
    for (const auto& [text, keyword, x, z] : cases) {
        header_line_scanner scanner;
        for (const char* p = text; *p != '\0'; ++p) {
            scanner.feed(static_cast<unsigned char>(*p));
        }
        const header_line line = scanner.result();
        EXPECT_TRUE(line.keyword == keyword && line.x == x && line.z == z) << text;
    }
}

TEST(level_parse, facing_title_and_hint_lines) {
    // The last line of each kind counts; a facing naming no direction changes nothing and its
    // first line is kept for the check; a title or hint is the text after the first space, cut
    // at the limit. Without any of them the level faces north with no words, as always.
    const std::string long_text(max_level_text_bytes + 5, 'x');
    const std::tuple<std::string, facing, std::string, std::string, std::uint64_t> cases[] = {
        {"start 1 1\npath\n", facing::north, "", "", 0},
        {"facing east\nfacing south\npath\n", facing::south, "", "", 0},
        {"facing west\nfacing up\nfacing East\nfacing north\n", facing::north, "", "", 2},
        {"facing  east\nfacing east \nfacing\n", facing::north, "", "", 1},
        {"title A  b\ntitle Two words\nhint  spaced\r\n", facing::north, "Two words", " spaced", 0},
        {"title " + long_text + "\nhint\n", facing::north, long_text.substr(0, max_level_text_bytes),
         "", 0},
        {"path\nfacing east\ntitle no\n", facing::north, "", "", 0},
        {"# facing east\ntitles x\nhint: y\n", facing::north, "", "", 0}};
    for (const auto& [text, heading, title, hint, bad] : cases) {
        const level lvl = read_text(text).first;
        EXPECT_EQ(lvl.start_facing, heading) << text;
        EXPECT_EQ(lvl.title, title) << text;
        EXPECT_EQ(lvl.hint, hint) << text;
        EXPECT_EQ(lvl.source.bad_facing, bad) << text;
    }
    EXPECT_EQ(read_text("titles x\nhint: y\n").first.source.unknown_count, 2u);
    EXPECT_EQ(read_text("title x\nhint y\nfacing z\n").first.source.unknown_count, 0u);
}

TEST(level_parse, a_whole_file_in_world_units_and_placed_on_the_cubes) {
    auto [lvl, printed] = read_text(
        "# a comment\n start 5 5\nitems 1 1\nstart 1 1\nstart 2 3\n"
        "finish 99999999999 -99999999999\nenemy 2 1\nenemy 9 9\nitem 3 1\nitem 3 1\n"
        "path\n0120\n.9 x3\nitem 1 1\n");
    EXPECT_EQ(lvl.start, glm::vec2(4, 6));
    EXPECT_EQ(lvl.finish, glm::vec2(4294967296.0f, -4294967296.0f));
    EXPECT_EQ(lvl.enemies, (std::vector<glm::vec3>{{4, 0, 2}, {18, 0, 18}}));
    EXPECT_EQ(lvl.items, std::vector<glm::vec3>(2, glm::vec3(6, 0, 2)));
    EXPECT_EQ(lvl.initial_items, lvl.items);
    // After "path" every line is a layout row, keyword or not.
    EXPECT_EQ(lvl.cubes, (std::vector<glm::vec3>{
                             {2, 2, 0}, {4, 4, 0}, {2, 18, 2}, {8, 6, 2}, {10, 2, 4}, {14, 2, 4}}));
    EXPECT_EQ(lvl.centre, glm::vec3(8, 30, 3));
    EXPECT_TRUE(lvl.playable());
    EXPECT_EQ(printed, (lines{"path is starting", "center point: 8, 3"}));
    // On a cell border the first cube wins; beside the cubes the ground is -22.
    lvl.place_items();
    place_enemies(lvl);
    EXPECT_EQ(lvl.items, std::vector<glm::vec3>(2, glm::vec3(6, 6, 2)));
    EXPECT_EQ(lvl.initial_items, lvl.items);
    EXPECT_EQ(lvl.enemies, (std::vector<glm::vec3>{{4, 3.4f, 2}, {18, -22.6f, 18}}));
    EXPECT_EQ(lvl.headings, std::vector<glm::vec3>(2, glm::vec3(-1, 0, 0)));
}

TEST(level_parse, rows_line_ends_and_odd_bytes) {
    // A carriage return before a line feed is not part of the line; anywhere else it is an
    // ordinary character, like any other byte.
    const std::tuple<std::string, std::size_t, lines> cases[] = {
        {"path\n111", 3, {"path is starting", "center point: 3, 1"}},
        {"path\n111\n\n", 3, {"path is starting", "center point: 0, 2"}},
        {"start 3 4\r\npath\r\n0120\r\n", 2, {"path is starting", "center point: 4, 1"}},
        {"path\r\r\n1\n", 0, {"center point: 0, 0"}},
        {"path\n1\r\r\n", 1, {"path is starting", "center point: 2, 1"}},
        {"path\n11\r", 2, {"path is starting", "center point: 3, 1"}},
        {"path\n1\r1\n1\n", 3, {"path is starting", "center point: 1, 2"}},
        {"start 1 1\n0111\n", 0, {"center point: 0, 0"}},
        {std::string("path\n1\0002\xff\x80", 10) + "3",
         3,
         {"path is starting", "center point: 6, 1"}},
    };
    for (const auto& [text, cubes, expected] : cases) {
        const auto [lvl, printed] = read_text(text);
        EXPECT_EQ(lvl.cubes.size(), cubes) << text;
        EXPECT_EQ(printed, expected) << text;
    }
    const level odd = read_text(std::string("start\0 4 4\nitem\xff 1 1\n", 21)).first;
    EXPECT_TRUE(odd.start == glm::vec2(0) && odd.items.empty());
}

TEST(level_parse, a_missing_file_prints_one_line_and_leaves_an_unflipped_level_to_no_play) {
    level lvl;
    lvl.flipped = true;
    test::stream_capture capture;
    lines said;
    EXPECT_FALSE(lvl.read_file("/nonexistent/quillomar/level.txt", &said));
    EXPECT_EQ(said, lines{"Unable to open levelfile: /nonexistent/quillomar/level.txt"});
    EXPECT_EQ(capture.text(), "");
    EXPECT_FALSE(lvl.flipped || lvl.playable());
}

// An input that never ends: `head`, then `unit` over and over.
class endless_input : public std::streambuf {
public:
    endless_input(std::string head, const std::string& unit) : head_(std::move(head)) {
        while (units_.size() < 4096) {
            units_ += unit;
        }
        setg(head_.data(), head_.data(), head_.data() + head_.size());
    }

protected:
    int_type underflow() override {
        setg(units_.data(), units_.data(), units_.data() + units_.size());
        return traits_type::to_int_type(units_[0]);
    }

private:
    std::string head_, units_;
};

TEST(level_parse, an_endless_input_stops_at_every_limit_with_one_line_each) {
    const std::string rest_ignored = "Level file big.txt is longer than " +
                                     std::to_string(level::max_file_bytes) +
                                     " bytes; the rest is ignored.";
    const std::tuple<const char*, const char*, std::size_t, const char*, std::string> cases[] = {
        {"path\n", "1", level::max_cubes, " cubes",
         "center point: " + std::to_string(level::max_file_bytes - 5) + ", 1"},
        {"", "item 1 1\n", level::max_items, " items", "center point: 0, 0"},
        {"", "enemy 1 1\n", level::max_enemies, " enemies", "center point: 0, 0"}};
    for (const auto& [head, unit, limit, what, centre] : cases) {
        endless_input source(head, unit);
        std::istream in(&source);
        level lvl;
        lines said;
        lvl.read_stream(in, "big.txt", &said);
        EXPECT_EQ(lvl.cubes.size() + lvl.items.size() + lvl.enemies.size(), limit) << unit;
        EXPECT_EQ(lvl.initial_items.size(), lvl.items.size());
        lines expected = {
            "Level file big.txt has more than " + std::to_string(limit) + what + "; the rest are ignored.",
            rest_ignored, centre};
        if (*head != '\0') {
            expected.insert(expected.begin(), "path is starting");
        }
        EXPECT_EQ(said, expected);
    }
}

}  // namespace
}  // namespace quillomar
