// The editor's core pieces: the top-down view and the cell a click picks, the check's verdict in
// a few words, and the generated levels kept beside the records (--edit on the command line is
// in the command line's table with --check).
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <map>

#include "authoring/generated_level_file.h"
#include "authoring/level_check.h"
#include "authoring/level_generator.h"
#include "authoring/top_down_view.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

glm::vec2 ndc_of(const top_down_view& v, const glm::vec3& world) {
    const glm::vec4 clip = v.projection * v.view * glm::vec4(world, 1.0f);
    return glm::vec2(clip) / clip.w;
}

TEST(TopDownView, FramesTheLevelAndPicksTheCellAPointShows) {
    // 6 x 4 cells of height 1, a cube of 9 at (0, 0) and a hole at (4, 2).
    const auto height = [](grid_cell c) {
        return c == grid_cell{0, 0} ? 9 : c == grid_cell{4, 2} ? 0 : 1;
    };
    for (const float aspect : {0.5f, 4.0f / 3.0f, 2.5f}) {
        const top_down_view v = make_top_down_view(6, 4, aspect);
        EXPECT_LT(glm::length(ndc_of(v, {5.0f, 3.0f, 3.0f})), 1e-5f);  // centred
        for (int x = 0; x < 6; ++x) {
            for (int z = 0; z < 4; ++z) {
                // Every corner shows, inside the band the HUD leaves free.
                for (const glm::vec2 corner : {glm::vec2(-1, -1), glm::vec2(1, 1)}) {
                    const glm::vec2 p = ndc_of(v, {2 * x + corner.x, 3.0f, 2 * z + corner.y});
                    EXPECT_LE(std::abs(p.x), 1.0f) << aspect;
                    EXPECT_LE(std::abs(p.y), 0.63f) << aspect;
                }
                const int h = height({x, z});
                const glm::vec3 top(2 * x, h > 0 ? 2 * h + 1 : 1, 2 * z);
                EXPECT_EQ(cell_at_pointer(v, ndc_of(v, top), height), (grid_cell{x, z}))
                    << x << " " << z << " at " << aspect;
            }
        }
        // Seen straight down, a point picks the cell under it at any height; nothing lies left of
        // column 0.
        const std::pair<glm::vec3, std::optional<grid_cell>> points[] = {
            {{0.9f, 18.0f, 0.0f}, grid_cell{0, 0}},
            {{1.1f, 18.0f, 0.0f}, grid_cell{1, 0}},
            {{0.0f, 1.0f, 0.9f}, grid_cell{0, 0}},
            {{-3.0f, 1.0f, 5.0f}, std::nullopt},
            {{7.0f, 1.0f, -3.0f}, std::nullopt},
        };
        for (const auto& [point, cell] : points) {
            EXPECT_EQ(cell_at_pointer(v, ndc_of(v, point), height), cell) << point.y;
        }
    }
    const top_down_view none = make_top_down_view(0, -3, 0.0f);
    EXPECT_EQ(cell_at_pointer(none, ndc_of(none, {0, 1, 0}), [](grid_cell) { return 0; }),
              (grid_cell{0, 0}));
}

TEST(LevelEditor, TheVerdictInAFewWordsAndAStoppedCheck) {
    std::map<double, const char*> times = {{12.44, "finishable in 0:12.4"},
                                           {59.97, "finishable in 1:00.0"},
                                           {61.0, "finishable in 1:01.0"}};
    for (const auto& [seconds, text] : times) {
        EXPECT_EQ(verdict_summary({{}, true, seconds, "", std::nullopt, 0, 0}), text);
    }
    EXPECT_EQ(verdict_summary({{}, false, 0.0, "needs 2 flips but has 1 item", std::nullopt, 0, 0}),
              "not finishable: needs 2 flips, has 1 item");
    level flat;
    std::istringstream text("start 1 1\nfinish 3 1\npath\n00000\n01111\n01111\n01111\n");
    flat.read_stream(text);
    const std::atomic<bool> stop{true};
    EXPECT_TRUE(check_level(flat, "l.txt").finishable);
    EXPECT_FALSE(check_level(flat, "l.txt", &stop).finishable);
}

// Where a generated level is kept, and what it holds, is the level names' test.
TEST(LevelEditor, AGeneratedLevelThatCannotBeKeptSaysWhereOrWhy) {
    const test::scratch_dir dir;
    std::string message;
    const std::string blocked = dir.write("blocked", "a file where the folder should be");
    EXPECT_EQ(keep_generated_level(blocked, 7, &message), "");
    EXPECT_NE(message.find(blocked + "/generated/seed-7.txt"), std::string::npos) << message;
    EXPECT_EQ(keep_generated_level("", 7, &message), "");
    EXPECT_NE(message.find("seed 7"), std::string::npos) << message;
}

}  // namespace
}  // namespace quillomar
