// HUD lines laid out at every window size and text size: nothing off the window, nothing on top
// of anything else. Made-up metrics: every letter 10 px wide, lines 32 px.
#include "game/hud_layout.h"

#include <gtest/gtest.h>

namespace quillomar {
namespace {

hud_frame frame_of(int width, int height, float scale) {
    hud_frame f{width, height, scale, {}};
    f.metrics.advance.fill(10.0f);
    f.metrics.line_height = 32.0f;
    return f;
}

// The line's box in window pixels: left, top, right, bottom.
std::array<float, 4> box(const hud_line& line, const hud_frame& f) {
    const float s = line.scale * f.text_scale;
    const float left = (line.from_left_edge ? 0.0f : f.width / 2.0f) + line.x_pixels;
    return {left, line.y_pixels - 0.8f * 32.0f * s,
            left + text_width(f.metrics, line.text, s), line.y_pixels + 0.2f * 32.0f * s};
}

void expect_inside_and_apart(const std::vector<hud_line>& lines, const hud_frame& f) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto b = box(lines[i], f);
        EXPECT_GE(b[0], 0.0f) << lines[i].text;
        EXPECT_LE(b[2], static_cast<float>(f.width)) << lines[i].text;
        EXPECT_GE(b[1], -0.5f) << lines[i].text;
        EXPECT_LE(b[3], f.height + 0.5f) << lines[i].text;
        for (std::size_t j = i + 1; j < lines.size(); ++j) {
            const auto c = box(lines[j], f);
            const bool apart = b[2] <= c[0] || c[2] <= b[0] || b[3] <= c[1] + 0.5f ||
                               c[3] <= b[1] + 0.5f;
            EXPECT_TRUE(apart) << lines[i].text << " / " << lines[j].text;
        }
    }
}

TEST(HudLayout, PanelsAndTheGamesOwnLinesFitEveryWindowAtEveryTextSize) {
    const std::vector<panel_line> panel = {
        {"Finished!", hud_tone::title, 1.4f},
        {"Time 0:12.34"},
        {"Medal: gold", hud_tone::gold},
        {"A hint long enough to need two lines in the smallest window at twice the size"},
        {"Enter: next level", hud_tone::plain, 0.7f},
    };
    // Wrapped at blanks and made smaller where the window is too low, never cut short.
    const auto words = [](const auto& lines) {
        std::string all;
        for (const auto& l : lines) {
            all += (all.empty() ? "" : " ") + l.text;
        }
        return all;
    };
    game_state s;
    s.has_level = true;
    s.play_started = 0.0;
    s.won = true;
    s.finish_time = 12.0;
    for (const auto& [w, h] : {std::pair{640, 480}, {1024, 768}, {1920, 1080}}) {
        for (const float scale : {1.0f, 1.5f, 2.0f}) {
            SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " at " +
                         std::to_string(scale));
            const hud_frame f = frame_of(w, h, scale);
            const std::vector<hud_line> centred = stacked_panel(panel, f, 0.5f);
            EXPECT_EQ(words(centred), words(panel));
            for (const hud_line& l : centred) {
                EXPECT_GE(l.scale * f.text_scale, 0.699f) << l.text;
            }
            expect_inside_and_apart(centred, f);
            const std::vector<hud_line> low = stacked_at_bottom(panel, f);
            EXPECT_EQ(words(low), words(panel));
            expect_inside_and_apart(low, f);
            const std::vector<hud_line> own = hud_lines(s, hud_words::player);
            expect_inside_and_apart(kept_on_screen(clear_of_the_middle(own, own.size(), f), f), f);
        }
    }
}

TEST(HudLayout, LinesPastAnEdgeComeBackInAndTooWideOnesAreShortened) {
    const hud_frame f = frame_of(640, 480, 1.0f);  // margin 13
    const std::vector<hud_line> moved = kept_on_screen(
        {{"abcdefghij", true, 600, 900}, {"abc", false, -400, 5}, {std::string(80, 'x'), true, 0, 50},
         {"stays", true, 40, 200}},
        f);
    EXPECT_EQ(moved[0].x_pixels, 640 - 13 - 100);
    EXPECT_EQ(moved[0].y_pixels, 480 - 7);  // its descent just above the bottom
    EXPECT_EQ(moved[1].x_pixels, 13 - 320);
    EXPECT_EQ(moved[1].y_pixels, 26);       // its top at the window's top
    EXPECT_EQ(moved[2].text, std::string(58, 'x') + "...");
    EXPECT_EQ(std::tuple(moved[3].x_pixels, moved[3].y_pixels), std::tuple(40, 200));
    // The second of two lines in one place goes under the first; with no room below it is left out.
    const std::vector<hud_line> crowded =
        kept_on_screen({{"a", true, 40, 200}, {"b", true, 40, 210}, {"c", true, 40, 470},
                        {"d", true, 45, 470}},
                       f);
    ASSERT_EQ(crowded.size(), 3u);
    EXPECT_EQ(std::tuple(crowded[1].text, crowded[1].y_pixels), std::tuple("b", 206 + 26));  // a line (32 px) below
    EXPECT_EQ(crowded[2].text, "c");
    // Moved below one line, it is checked again against those it was checked against before.
    const std::vector<hud_line> chain =
        kept_on_screen({{"b", true, 40, 233}, {"a", true, 40, 200}, {"c", true, 40, 200}}, f);
    EXPECT_EQ(chain[2].y_pixels, 265);
    // A panel's middle where it is asked for, and kept inside the window's margin.
    const hud_frame big = frame_of(1024, 768, 1.0f);  // margin 20, a line 36 px apart
    for (const auto& [share, baseline] : {std::pair{0.5f, 394}, {0.0f, 48}, {1.0f, 740}}) {
        const std::vector<hud_line> one = stacked_panel({{"abcd"}}, big, share);
        EXPECT_EQ(std::tuple(one[0].x_pixels, one[0].y_pixels), std::tuple(-20, baseline)) << share;
    }
}

}  // namespace
}  // namespace quillomar
