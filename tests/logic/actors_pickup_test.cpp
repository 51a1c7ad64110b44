// Collecting items and bringing them back.
#include <tuple>

#include "actors/item_pickup.h"
#include "level/level.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

TEST(actors_boxes, items_are_taken_within_three_by_two_and_spiders_touch_within_four_by_two) {
    const glm::vec3 ball(10, 4, 10);
    const std::tuple<glm::vec3, bool, bool> cases[] = {
        {{1.4f, 0.9f, -1.4f}, true, true},  {{-1.4f, -0.9f, 1.4f}, true, true},
        {{1.5f, 0, 0}, false, true},        {{-1.5f, 0, 0}, false, true},
        {{0, 0, 1.5f}, false, true},        {{0, 0, -1.5f}, false, true},
        {{1.9f, 0.9f, -1.9f}, false, true}, {{-1.9f, -0.9f, 1.9f}, false, true},
        {{2, 0, 0}, false, false},          {{-2, 0, 0}, false, false},
        {{0, 0, 2}, false, false},          {{0, 0, -2}, false, false},
        {{0, 1, 0}, false, false},          {{0, -1, 0}, false, false}};
    for (const auto& [offset, taken, touches] : cases) {
        level lvl;
        lvl.enemies = {glm::vec3(0), ball + offset};
        SCOPED_TRACE(testing::Message() << offset.x << ", " << offset.y << ", " << offset.z);
        EXPECT_EQ(in_pickup_box(ball + offset, ball), taken);
        EXPECT_EQ(lvl.enemy_touches(ball), touches);
    }
}

TEST(actors_pickup, items_leave_in_order_silently_and_a_follower_waits_a_frame) {
    const glm::vec3 cell(2, 4, 2), far(50, 4, 0);
    level lvl;
    lvl.items = {cell, cell, far, cell};
    test::stream_capture capture;
    EXPECT_EQ(lvl.pick_up_items(cell), (std::vector<glm::vec3>{cell, cell}));  // first and last
    EXPECT_EQ(lvl.items, (std::vector<glm::vec3>{cell, far}));
    EXPECT_EQ(lvl.pick_up_items(cell), std::vector<glm::vec3>{cell});
    EXPECT_EQ(lvl.pick_up_items(far), std::vector<glm::vec3>{far});
    EXPECT_TRUE(lvl.items.empty());
    EXPECT_EQ(capture.text(), "");
}

TEST(actors_pickup, restore_brings_every_item_back_at_its_loaded_height) {
    level lvl;
    lvl.cubes = {{0, 2, 0}};
    lvl.items = lvl.initial_items = {{0, 0, 0}, {2, 0, 2}, {6, 0, 6}};
    lvl.place_items();
    lvl.pick_up_items({0, 4, 0});
    lvl.items[0].y = 99.0f;  // as if a flip had moved it
    lvl.restore_items();
    EXPECT_EQ(lvl.items, (std::vector<glm::vec3>{{0, 4, 0}, {2, 4, 2}, {6, -22, 6}}));
    EXPECT_EQ(lvl.initial_items, lvl.items);
}

}  // namespace
}  // namespace quillomar
