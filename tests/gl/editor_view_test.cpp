// The editor's map drawn by the whole game and read back: each sign in its own cell, a raised
// cube's top exactly over its cell, and the HUD's lines clear of the map at every window and text
// size.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "authoring/map_marks.h"
#include "authoring/top_down_view.h"
#include "render/frame_renderer.h"
#include "shell/edit_mode.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// Five columns, three rows, a cube of 5 with nothing on it.
const char* const marked = "title Marks\nstart 0 1\nfinish 4 1\nitem 2 0\nenemy 1 2\npath\n"
                           "11111\n11111\n11151\n";

struct editing : test::game_driver {
    explicit editing(const std::string& path) : game_driver(marked, false) {
        game().edit_path = path;
        game().startup();
    }
};

// The back buffer's pixels, top row first.
struct picture {
    int width;
    int height;
    std::vector<unsigned char> rgba;

    picture(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w * h * 4)) {
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    }
    glm::vec3 at(int x, int y) const {
        const std::size_t i = (static_cast<std::size_t>(height - 1 - y) * width + x) * 4;
        return glm::vec3(rgba[i], rgba[i + 1], rgba[i + 2]) / 255.0f;
    }
    // The share of the rectangle's pixels within `tolerance` of `colour`.
    float share(const pixel_rect& r, const glm::vec3& colour, float tolerance = 0.08f) const {
        int near = 0;
        int all = 0;
        for (int y = static_cast<int>(r.low.y); y < static_cast<int>(r.high.y); ++y) {
            for (int x = static_cast<int>(r.low.x); x < static_cast<int>(r.high.x); ++x) {
                const glm::vec3 d = glm::abs(at(x, y) - colour);
                near += std::max({d.x, d.y, d.z}) <= tolerance ? 1 : 0;
                ++all;
            }
        }
        return all > 0 ? static_cast<float>(near) / static_cast<float>(all) : 0.0f;
    }
};

// The middle half of a rectangle.
pixel_rect middle_of(const pixel_rect& r) {
    const glm::vec2 quarter = (r.high - r.low) * 0.25f;
    return {r.low + quarter, r.high - quarter};
}

TEST(EditorMap, EachSignShowsInItsOwnCellAndARaisedTopCoversExactlyItsCell) {
    const test::scratch_dir dir;
    editing d(dir.write("marks.txt", marked));
    d.frames(2);
    edit_mode& editor = *d.game().editor();
    const top_down_view v = editor.framing(d.game().aspect());
    const picture shot(d.game().width, d.game().height);
    const auto cell = [&](grid_cell c) {
        return cell_top_pixels(v, c, editor.session().document().height(c), shot.width,
                               shot.height);
    };
    const glm::vec3 white(1.0f);
    const glm::vec3 dark = glm::vec3(0.05f);
    const std::pair<grid_cell, glm::vec3> signs[] = {
        {{0, 1}, sign_colour(map_sign::start)},
        {{4, 1}, white},
        {{2, 0}, sign_colour(map_sign::item)},
        {{1, 2}, sign_colour(map_sign::spider)},
    };
    for (const auto& [at, colour] : signs) {
        // A cell of the map is tens of pixels wide at this window.
        EXPECT_GT(cell(at).high.x - cell(at).low.x, 25.0f);
        for (const auto& [elsewhere, other] : signs) {
            const float share = shot.share(middle_of(cell(elsewhere)), glm::vec3(colour));
            if (elsewhere == at) {
                EXPECT_GT(share, 0.2f) << at.x << " " << at.z;
            } else if (colour != white) {
                EXPECT_EQ(share, 0.0f) << at.x << " " << at.z << " in " << elsewhere.x;
            }
        }
    }
    // The finish's chequer: white and black squares both.
    EXPECT_GT(shot.share(middle_of(cell({4, 1})), dark), 0.2f);

    // The cube of 5 at (3, 2): its top's colour fills its cell to within a few pixels of each
    // edge and stops there; the cells beside it (height 1) keep their own.
    const pixel_rect top = cell({3, 2});
    const glm::vec3 five = glm::vec3(height_colour(5));
    const glm::vec3 one = glm::vec3(height_colour(1));
    const float inset = (top.high.x - top.low.x) * 0.12f;
    for (const glm::vec2 side : {glm::vec2(-1, 0), glm::vec2(1, 0), glm::vec2(0, -1)}) {
        const glm::vec2 middle = (top.low + top.high) * 0.5f;
        const glm::vec2 edge = middle + side * (top.high - top.low) * 0.5f;
        const glm::vec2 inside = edge - side * inset;
        const glm::vec2 outside = edge + side * inset;
        const pixel_rect in{inside - 2.0f, inside + 2.0f};
        const pixel_rect out{outside - 2.0f, outside + 2.0f};
        EXPECT_GT(shot.share(in, five, 0.15f), 0.9f) << side.x << " " << side.y;
        EXPECT_EQ(shot.share(out, five, 0.15f), 0.0f) << side.x << " " << side.y;
        EXPECT_GT(shot.share(out, one, 0.2f), 0.9f) << side.x << " " << side.y;
    }
}

// Every line of the HUD lies above or below the map, whatever the window, text size and keys.
TEST(EditorMap, TheKeyListAndTheVerdictNeverCoverTheMap) {
    const test::scratch_dir dir;
    editing d(dir.write("marks.txt", marked));
    edit_mode& editor = *d.game().editor();
    const text_metrics& metrics = d.game().renderer()->hud_metrics();
    for (const bool all_keys : {false, true}) {
        for (const glm::ivec2 window : {glm::ivec2(640, 480), glm::ivec2(1920, 1080)}) {
            for (const float text : {1.0f, 2.0f}) {
                const editor_hud_frame frame{window.x, window.y, &metrics, 0.6f, text};
                editor.fit_to(frame);
                const top_down_view v =
                    editor.framing(static_cast<float>(window.x) / static_cast<float>(window.y));
                const grid_cell area = editor.area();
                const float map_top = cell_top_pixels(v, {0, 0}, 1, window.x, window.y).low.y;
                const float map_bottom =
                    cell_top_pixels(v, {0, area.z - 1}, 1, window.x, window.y).high.y;
                EXPECT_GT(map_bottom - map_top, 0.15f * static_cast<float>(window.y));
                const std::vector<hud_line> lines = editor.hud_lines(frame);
                for (const hud_line& line : lines) {
                    const float size = metrics.line_height * line.scale * text;
                    const std::string where = std::to_string(window.x) + " at " +
                                              std::to_string(text) + ": " + line.text;
                    // Above the map, or below it, with the whole line's ink.
                    EXPECT_TRUE(static_cast<float>(line.y_pixels) + 0.3f * size <= map_top ||
                                static_cast<float>(line.y_pixels) - 0.8f * size >= map_bottom)
                        << where;
                    EXPECT_LE(static_cast<float>(line.y_pixels) + 0.3f * size,
                              static_cast<float>(window.y) + 1.0f)
                        << where;
                    EXPECT_GE(static_cast<float>(line.y_pixels) - 0.8f * size, 0.0f) << where;
                }
            }
        }
        press(d, GLFW_KEY_F1);
    }
}

}  // namespace
}  // namespace quillomar
