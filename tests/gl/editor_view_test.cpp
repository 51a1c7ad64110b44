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

// The back buffer's pixels, read once; `share` is the part of a rectangle (from the top left)
// within `tolerance` of `colour`.
struct picture {
    int width;
    int height;
    std::vector<unsigned char> rgba;

    picture(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w * h * 4)) {
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    }
    float share(const pixel_rect& r, const glm::vec3& colour, float tolerance = 0.08f) const {
        int near = 0;
        int all = 0;
        for (int y = static_cast<int>(r.low.y); y < static_cast<int>(r.high.y); ++y) {
            for (int x = static_cast<int>(r.low.x); x < static_cast<int>(r.high.x); ++x, ++all) {
                const unsigned char* p = &rgba[(static_cast<std::size_t>(height - 1 - y) * width + x) * 4];
                const glm::vec3 d = glm::abs(glm::vec3(p[0], p[1], p[2]) / 255.0f - colour);
                near += std::max({d.x, d.y, d.z}) <= tolerance ? 1 : 0;
            }
        }
        return all > 0 ? static_cast<float>(near) / static_cast<float>(all) : 0.0f;
    }
};

TEST(EditorMap, EachSignShowsInItsOwnCellAndARaisedTopCoversExactlyItsCell) {
    const test::scratch_dir dir;
    editing d(dir.write("marks.txt", marked));
    d.frames(2);
    edit_mode& editor = *d.game().editor();
    const top_down_view v = editor.framing(d.game().aspect());
    const picture shot(d.game().width, d.game().height);
    // A cell's top face, or its middle half.
    const auto cell = [&](grid_cell c, float keep = 1.0f) {
        pixel_rect r = cell_top_pixels(v, c, editor.session().document().height(c), shot.width,
                                       shot.height);
        const glm::vec2 cut = (r.high - r.low) * (1.0f - keep) * 0.5f;
        return pixel_rect{r.low + cut, r.high - cut};
    };
    const glm::vec3 white(1.0f);
    const std::pair<grid_cell, glm::vec3> signs[] = {
        {{0, 1}, sign_colour(map_sign::start)}, {{4, 1}, white},
        {{2, 0}, sign_colour(map_sign::item)},  {{1, 2}, sign_colour(map_sign::spider)},
    };
    for (const auto& [at, colour] : signs) {
        EXPECT_GT(cell(at).high.x - cell(at).low.x, 25.0f);
        for (const auto& [elsewhere, other] : signs) {
            const float share = shot.share(cell(elsewhere, 0.5f), colour);
            if (elsewhere == at) {
                EXPECT_GT(share, 0.2f) << at.x << " " << at.z;
            } else if (colour != white) {
                EXPECT_EQ(share, 0.0f) << at.x << " " << at.z << " in " << elsewhere.x;
            }
        }
    }
    EXPECT_GT(shot.share(cell({4, 1}, 0.5f), glm::vec3(0.05f)), 0.2f);  // the chequer's black

    // The cube of 5 at (3, 2): its top's colour fills its cell to an eighth of a cell from each
    // edge and stops there; the cells beside it (height 1) keep their own.
    const pixel_rect top = cell({3, 2});
    const float inset = (top.high.x - top.low.x) * 0.12f;
    for (const glm::vec2 side : {glm::vec2(-1, 0), glm::vec2(1, 0), glm::vec2(0, -1)}) {
        const glm::vec2 edge = (top.low + top.high) * 0.5f + side * (top.high - top.low) * 0.5f;
        const glm::vec2 inside = edge - side * inset;
        const glm::vec2 outside = edge + side * inset;
        EXPECT_GT(shot.share({inside - 2.0f, inside + 2.0f}, glm::vec3(height_colour(5)), 0.15f), 0.9f);
        EXPECT_EQ(shot.share({outside - 2.0f, outside + 2.0f}, glm::vec3(height_colour(5)), 0.15f), 0.0f);
        EXPECT_GT(shot.share({outside - 2.0f, outside + 2.0f}, glm::vec3(height_colour(1)), 0.2f), 0.9f);
    }
}

// Every line of the HUD lies above or below the map, whatever the window, text size and keys.
TEST(EditorMap, TheKeyListAndTheVerdictNeverCoverTheMap) {
    const test::scratch_dir dir;
    editing d(dir.write("marks.txt", marked));
    edit_mode& editor = *d.game().editor();
    const text_metrics& metrics = d.game().renderer()->hud_metrics();
    for (const bool all_keys : {false, true}) {
        for (const auto& [w, h] : {std::pair{640, 480}, std::pair{1920, 1080}}) {
            for (const float text : {1.0f, 2.0f}) {
                const editor_hud_frame frame{w, h, &metrics, 0.6f, text};
                editor.fit_to(frame);
                const top_down_view v = editor.framing(static_cast<float>(w) / static_cast<float>(h));
                const float map_top = cell_top_pixels(v, {0, 0}, 1, w, h).low.y;
                const float map_bottom = cell_top_pixels(v, {0, editor.area().z - 1}, 1, w, h).high.y;
                EXPECT_GT(map_bottom - map_top, 0.15f * static_cast<float>(h));
                for (const hud_line& line : editor.hud_lines(frame)) {
                    // The line's ink, from its ascent to its descent.
                    const float size = metrics.line_height * line.scale * text;
                    const float ink_top = static_cast<float>(line.y_pixels) - 0.8f * size;
                    const float ink_bottom = static_cast<float>(line.y_pixels) + 0.3f * size;
                    EXPECT_TRUE(ink_bottom <= map_top || ink_top >= map_bottom)
                        << w << " " << text << " " << all_keys << ": " << line.text;
                    EXPECT_TRUE(ink_top >= 0.0f && ink_bottom <= static_cast<float>(h) + 1.0f)
                        << w << " " << text << " " << all_keys << ": " << line.text;
                }
            }
        }
        press(d, GLFW_KEY_F1);
    }
}

}  // namespace
}  // namespace quillomar
