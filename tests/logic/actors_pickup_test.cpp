// Collecting items and bringing them back.
#include "actors/item_pickup.h"
#include "level/level.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

TEST(actors_pickup, the_box_is_strict_three_units_wide_and_two_high) {
    const glm::vec3 ball(10.0f, 4.0f, 10.0f);
    EXPECT_TRUE(in_pickup_box({11.4f, 4.9f, 8.6f}, ball));
    EXPECT_TRUE(in_pickup_box({8.6f, 3.1f, 11.4f}, ball));
    EXPECT_FALSE(in_pickup_box({11.5f, 4.0f, 10.0f}, ball));
    EXPECT_FALSE(in_pickup_box({8.5f, 4.0f, 10.0f}, ball));
    EXPECT_FALSE(in_pickup_box({10.0f, 4.0f, 11.5f}, ball));
    EXPECT_FALSE(in_pickup_box({10.0f, 5.0f, 10.0f}, ball));
    EXPECT_FALSE(in_pickup_box({10.0f, 3.0f, 10.0f}, ball));
    // An item over an empty cell sits at −22, out of reach of a ball on the cubes.
    EXPECT_FALSE(in_pickup_box({10.0f, -22.0f, 10.0f}, ball));
}

TEST(actors_pickup, collected_items_leave_the_list_in_order_and_print_a_line_each) {
    level lvl;
    lvl.items = {{0.0f, 4.0f, 0.0f}, {20.0f, 4.0f, 0.0f}, {1.0f, 4.0f, 1.0f}, {30.0f, 4.0f, 0.0f}};
    test::stream_capture capture;
    const std::vector<glm::vec3> taken = lvl.pick_up_items({0.5f, 4.0f, 0.5f});
    EXPECT_EQ(taken, (std::vector<glm::vec3>{{0.0f, 4.0f, 0.0f}, {1.0f, 4.0f, 1.0f}}));
    EXPECT_EQ(lvl.items, (std::vector<glm::vec3>{{20.0f, 4.0f, 0.0f}, {30.0f, 4.0f, 0.0f}}));
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"removed item", "removed item"}));
}

TEST(actors_pickup, adjacent_items_are_taken_on_consecutive_frames) {
    level lvl;
    const glm::vec3 cell(2.0f, 4.0f, 2.0f);
    lvl.items = {cell, cell, cell, {50.0f, 0.0f, 0.0f}};
    test::stream_capture capture;
    EXPECT_EQ(lvl.pick_up_items(cell).size(), 2u);  // the first and the third
    EXPECT_EQ(lvl.items.size(), 2u);
    EXPECT_EQ(lvl.pick_up_items(cell).size(), 1u);
    EXPECT_EQ(lvl.items, std::vector<glm::vec3>{glm::vec3(50.0f, 0.0f, 0.0f)});
    EXPECT_TRUE(lvl.pick_up_items(cell).empty());
}

TEST(actors_pickup, collecting_the_last_item_leaves_an_empty_list) {
    level lvl;
    lvl.items = {{0.0f, 0.0f, 0.0f}};
    test::stream_capture capture;
    lvl.pick_up_items({0.0f, 0.0f, 0.0f});
    EXPECT_TRUE(lvl.items.empty());
    EXPECT_TRUE(lvl.pick_up_items({0.0f, 0.0f, 0.0f}).empty());
}

TEST(actors_pickup, restore_brings_every_item_back_at_its_loaded_height) {
    level lvl;
    lvl.cubes = {{0.0f, 2.0f, 0.0f}};
    lvl.items = {{0.0f, 0.0f, 0.0f}, {2.0f, 0.0f, 2.0f}};
    lvl.initial_items = lvl.items;
    lvl.place_items();
    test::stream_capture capture;
    lvl.pick_up_items({0.0f, 4.0f, 0.0f});
    lvl.items[0].y = 99.0f;  // as if a flip had moved it
    lvl.restore_items();
    EXPECT_EQ(lvl.items, (std::vector<glm::vec3>{{0.0f, 4.0f, 0.0f}, {2.0f, 4.0f, 2.0f}}));
    EXPECT_EQ(lvl.items, lvl.initial_items);
}

}  // namespace
}  // namespace quillomar
