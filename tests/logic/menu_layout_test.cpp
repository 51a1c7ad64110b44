// Menu pages laid out in windows from 640 x 480 to 1920 x 1080 at every text size, with a font
// of made-up but serif-like widths: what is drawn stays inside the window and never overlaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "framework/key_map.h"
#include "game/menu.h"
#include "tests/support/serif_metrics.h"

namespace quillomar {
namespace {

using test::serif_like;

// The title menu showing `page` (0 the title, 1 the settings, 2 to 5 their pages), on `row`.
menu opened(std::size_t page, std::size_t row) {
    menu m(title_menu_pages({}, default_key_bindings()));
    for (const std::size_t open : {page > 0 ? 8 : page + 99, page > 1 ? page - 2 : page + 99}) {
        if (m.point_at(open)) {
            m.handle(menu_input::confirm);
        }
    }
    m.point_at(std::min(row, m.page().entries.size() - 1));
    return m;
}

std::size_t counted(const std::vector<hud_line>& lines, const std::string& mark) {
    for (const hud_line& l : lines) {
        if (l.text.find(mark) != std::string::npos) {
            return std::stoul(l.text.substr(2));
        }
    }
    return 0;
}

TEST(MenuLayout, EveryPageFitsEveryWindowAtEveryTextSize) {
    const text_metrics m = serif_like();
    for (const auto& [width, height] : {std::pair{640, 480}, {800, 600}, {1280, 720}, {1920, 1080}}) {
        for (const float text : {1.0f, 1.5f, 2.0f}) {
            for (std::size_t page = 0; page < 6; ++page) {
                for (const std::size_t row : {0, 3, 99}) {
                    const menu shown = opened(page, row);
                    const menu_screen screen{
                        width, height, text, -1.0, -1.0, page == 0, page == 4,
                        row == 3 ? "Press a key for Free camera forward (Escape keeps it) and "
                                   "the rest of a long note" : ""};
                    const menu_layout l = lay_out_menu(shown, screen, m);
                    const std::string at = std::to_string(width) + " " + std::to_string(text) +
                                           " page " + std::to_string(page) + " row " +
                                           std::to_string(row);
                    std::vector<std::array<float, 4>> boxes;  // left, top, right, bottom
                    for (const hud_line& line : l.lines) {
                        const float size = line.scale * text;
                        const float left = width / 2.0f + line.x_pixels;
                        const std::array<float, 4> b = {
                            left, line.y_pixels - 0.8f * 37.0f * size,
                            left + text_width(m, line.text, size), line.y_pixels + 0.2f * 37.0f * size};
                        EXPECT_TRUE(!line.text.empty() && b[0] >= width * 0.03f && b[1] >= 0 &&
                                    b[2] <= width * 0.97f && b[3] <= height)
                            << at << ": " << line.text;
                        for (const auto& o : boxes) {
                            EXPECT_FALSE(b[0] < o[2] && o[0] < b[2] && b[1] < o[3] && o[1] < b[3])
                                << at << ": " << line.text;
                        }
                        boxes.push_back(b);
                    }
                    // The choice is in view and marked once; the marks count the rows hidden.
                    ASSERT_FALSE(l.rows.empty()) << at;
                    EXPECT_EQ(counted(l.lines, "more above"), l.rows.front().entry) << at;
                    EXPECT_EQ(counted(l.lines, "more below") + l.rows.back().entry + 1,
                              shown.page().entries.size()) << at;
                    EXPECT_EQ(std::count_if(l.lines.begin(), l.lines.end(), [](const hud_line& x) {
                                  return x.text == ">" && x.tone == hud_tone::chosen;
                              }), 1) << at;
                    for (const menu_row_place& r : l.rows) {
                        EXPECT_EQ(entry_at(l, r.left, r.top), r.entry) << at;
                        EXPECT_EQ(entry_at(l, r.right - 1, r.bottom - 1), r.entry) << at;
                    }
                }
            }
        }
    }
}

// The game's name is large and centred; the row under the pointer is highlighted, the chosen
// one keeps its tone.
TEST(MenuLayout, TheTitleIsLargeAndCentredAndThePointerHighlightsItsRow) {
    const text_metrics m = serif_like();
    menu_screen screen;
    screen.big_title = true;
    const menu title = opened(0, 0);
    const menu_layout plain = lay_out_menu(title, screen, m);
    ASSERT_EQ(plain.lines[0].text, "Quillomar");
    EXPECT_EQ(std::tuple(plain.lines[0].scale, plain.lines[0].tone), std::tuple(2.5f, hud_tone::title));
    EXPECT_NEAR(plain.lines[0].x_pixels, -text_width(m, "Quillomar", 2.5f) / 2, 1.0);
    ASSERT_EQ(plain.rows.size(), 10u);
    for (const auto& [y, levels] : {std::pair{plain.rows[1].bottom - 1, hud_tone::hover},
                                    {plain.rows[1].bottom, hud_tone::plain},
                                    {plain.rows[0].bottom - 1, hud_tone::plain}}) {
        screen.pointer_x = 512.0;
        screen.pointer_y = y;
        const menu_layout l = lay_out_menu(title, screen, m);
        for (const hud_line& line : l.lines) {
            EXPECT_TRUE(line.text != "Levels" || line.tone == levels) << y;
            EXPECT_TRUE(line.text != "Play" || line.tone == hud_tone::chosen) << y;
        }
    }
    // A key row waiting for its key shows "..." for it; the others keep theirs.
    for (const bool waiting : {false, true}) {
        screen.waiting_for_key = waiting;
        std::string values;
        for (const hud_line& line : lay_out_menu(opened(4, 2), screen, m).lines) {
            values += line.x_pixels > 0 && line.scale == 1.0f ? line.text + " " : "";
        }
        EXPECT_EQ(values.substr(0, 12), waiting ? "W S ... D Sp" : "W S A D Spac");
    }
}

// A level list at 640 x 480 and twice the text: a generated level's long name runs on over its
// short "-" (then at the row's right end) instead of being cut; the other rows keep the column.
TEST(MenuLayout, ALongNameRunsOnOverItsOwnShortValue) {
    const text_metrics m = serif_like();
    menu_page list{"Levels", {}};
    for (const char* name : {"Far shore", "Three gates", "Random level: Misty Hollow"}) {
        menu_entry e;
        e.label = name;
        e.values = {name[0] == 'R' ? "-" : "locked"};
        list.entries.push_back(e);
    }
    menu_screen screen;
    std::tie(screen.width, screen.height, screen.text_scale) = std::tuple(640, 480, 2.0f);
    const menu_layout l = lay_out_menu(menu({list}), screen, m);
    std::map<std::string, float> right;  // where each text ends
    for (const hud_line& line : l.lines) {
        right[line.text] = line.x_pixels + text_width(m, line.text, line.scale * 2.0f);
    }
    ASSERT_EQ(right.count("Random level: Misty Hollow"), 1u);
    EXPECT_NEAR(right["-"], right["locked"], 1.0f);
    EXPECT_LT(right["Random level: Misty Hollow"], right["-"] - text_width(m, "-", 2.0f));
}

}  // namespace
}  // namespace quillomar
