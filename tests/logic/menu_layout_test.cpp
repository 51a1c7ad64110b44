// Menu pages laid out in windows from 640 x 480 to 1920 x 1080 at every text size, with a font
// of made-up but serif-like widths: what is drawn stays inside the window and never overlaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "framework/key_map.h"
#include "game/menu.h"

namespace quillomar {
namespace {

text_metrics serif_like() {
    text_metrics m;
    for (int c = 33; c < 127; ++c) {
        m.advance[c] = c >= 'a' && c <= 'z' ? 17.0f : c >= 'A' && c <= 'Z' ? 23.0f : 12.0f;
    }
    for (const char wide : {'m', 'w', 'M', 'W'}) {
        m.advance[static_cast<unsigned char>(wide)] = 30.0f;
    }
    m.advance[' '] = 9.0f;
    m.line_height = 37.0f;
    return m;
}

struct box {
    float left, top, right, bottom;
};

box box_of(const hud_line& l, const menu_screen& screen, const text_metrics& m) {
    const float size = l.scale * screen.text_scale;
    const float left = screen.width / 2.0f + static_cast<float>(l.x_pixels);
    return {left, l.y_pixels - 0.8f * m.line_height * size,
            left + text_width(m, l.text, size), l.y_pixels + 0.2f * m.line_height * size};
}

// The title menu with `page` shown (0 the title, 1 the settings, 2 to 5 their pages) and the
// choice on `row` (clamped to the page).
menu opened(std::size_t page, std::size_t row) {
    menu m(title_menu_pages({}, default_key_bindings()));
    if (page > 0) {
        m.point_at(6);
        m.handle(menu_input::confirm);
    }
    if (page > 1) {
        m.point_at(page - 2);
        m.handle(menu_input::confirm);
    }
    m.point_at(std::min(row, m.page().entries.size() - 1));
    return m;
}

std::size_t number_in(const std::vector<hud_line>& lines, const std::string& mark) {
    for (const hud_line& l : lines) {
        if (l.text.find(mark) != std::string::npos) {
            return std::stoul(l.text.substr(2));
        }
    }
    return 0;
}

TEST(MenuLayout, EveryPageFitsEveryWindowAtEveryTextSize) {
    const text_metrics m = serif_like();
    const int sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 720}, {1920, 1080}};
    for (const auto& size : sizes) {
        for (const float text : {1.0f, 1.5f, 2.0f}) {
            for (std::size_t page = 0; page < 6; ++page) {
                for (const std::size_t row : {0, 3, 14, 99}) {
                    const menu shown = opened(page, row);
                    menu_screen screen;
                    screen.width = size[0];
                    screen.height = size[1];
                    screen.text_scale = text;
                    screen.big_title = page == 0;
                    screen.waiting_for_key = page == 4;
                    screen.note = row == 3 ? "Press a key for Free camera forward (Escape "
                                             "keeps it) and the rest of a long note"
                                           : "";
                    const menu_layout l = lay_out_menu(shown, screen, m);
                    const std::string at = std::to_string(size[0]) + "x" +
                                           std::to_string(size[1]) + " text " +
                                           std::to_string(text) + " page " +
                                           std::to_string(page) + " row " + std::to_string(row);
                    std::vector<box> boxes;
                    for (const hud_line& line : l.lines) {
                        const box b = box_of(line, screen, m);
                        EXPECT_TRUE(b.left >= 0 && b.right <= size[0] && b.top >= 0 &&
                                    b.bottom <= size[1])
                            << at << ": " << line.text;
                        for (const box& o : boxes) {
                            EXPECT_FALSE(b.left < o.right && o.left < b.right &&
                                         b.top < o.bottom && o.top < b.bottom)
                                << at << ": " << line.text;
                        }
                        boxes.push_back(b);
                    }
                    // The choice is in view and marked; rows hidden are counted by the marks.
                    const std::size_t count = shown.page().entries.size();
                    ASSERT_FALSE(l.rows.empty()) << at;
                    EXPECT_EQ(number_in(l.lines, "more above"), l.rows.front().entry) << at;
                    EXPECT_EQ(number_in(l.lines, "more below") + l.rows.back().entry + 1, count)
                        << at;
                    EXPECT_EQ(std::count_if(l.lines.begin(), l.lines.end(),
                                            [](const hud_line& x) {
                                                return x.text == ">" &&
                                                       x.tone == hud_tone::chosen;
                                            }),
                              1)
                        << at;
                    for (const menu_row_place& r : l.rows) {
                        EXPECT_EQ(entry_at(l, r.left, r.top), r.entry) << at;
                        EXPECT_EQ(entry_at(l, r.right - 1, r.bottom - 1), r.entry) << at;
                    }
                }
            }
        }
    }
}

// The title is the game's name, large and centred; the row under the pointer is highlighted
// but stays unchosen, the chosen one keeps its tone; a page of values puts them in one column.
TEST(MenuLayout, TheTitleIsLargeAndCentredAndThePointerHighlightsItsRow) {
    const text_metrics m = serif_like();
    menu_screen screen;
    screen.big_title = true;
    const menu title = opened(0, 0);
    menu_layout l = lay_out_menu(title, screen, m);
    ASSERT_EQ(l.lines[0].text, "Quillomar");
    EXPECT_EQ(l.lines[0].scale, 2.5f);
    EXPECT_EQ(l.lines[0].tone, hud_tone::title);
    EXPECT_NEAR(box_of(l.lines[0], screen, m).left + box_of(l.lines[0], screen, m).right, 1024,
                1.0);
    ASSERT_EQ(l.rows.size(), 8u);
    EXPECT_TRUE(std::none_of(l.lines.begin(), l.lines.end(),
                             [](const hud_line& x) { return x.text.empty(); }));
    const auto tone_of = [&](const std::string& text) {
        for (const hud_line& line : l.lines) {
            if (line.text == text) {
                return line.tone;
            }
        }
        return hud_tone::dim;
    };
    for (const auto& [y, levels, play] :
         {std::tuple{-1, hud_tone::plain, hud_tone::chosen},
          std::tuple{(l.rows[1].top + l.rows[1].bottom) / 2, hud_tone::hover, hud_tone::chosen},
          std::tuple{l.rows[0].top, hud_tone::plain, hud_tone::chosen},
          std::tuple{l.rows[2].top, hud_tone::plain, hud_tone::chosen}}) {
        screen.pointer_x = 512.0;
        screen.pointer_y = y;
        l = lay_out_menu(title, screen, m);
        EXPECT_EQ(tone_of("Levels"), levels) << y;
        EXPECT_EQ(tone_of("Play"), play) << y;
    }
    screen.big_title = false;
    l = lay_out_menu(opened(3, 0), screen, m);
    std::vector<int> value_columns;
    for (const hud_line& line : l.lines) {
        if (line.text.back() == '%') {
            value_columns.push_back(line.x_pixels);
        }
    }
    ASSERT_EQ(value_columns.size(), 2u);
    EXPECT_EQ(value_columns[0], value_columns[1]);
}

}  // namespace
}  // namespace quillomar
