// The editor in the whole game with its real font: the HUD's lines clear of the map at every
// window and text size. (Where each mark lies on the map is the logic suite's.)
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include "authoring/top_down_view.h"
#include "render/frame_renderer.h"
#include "shell/edit_mode.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// Five columns, three rows.
const char* const marked = "title Marks\nstart 0 1\nfinish 4 1\nitem 2 0\nenemy 1 2\npath\n"
                           "11111\n11111\n11151\n";

struct editing : test::game_driver {
    explicit editing(const std::string& path) : game_driver(marked, false) {
        game().edit_path = path;
        game().startup();
    }
};

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
