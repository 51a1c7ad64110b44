// Feeds arbitrary bytes to the level-file reader, checks it against the editor's document of the
// same bytes, and runs the level's rules on whatever came out.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "actors/level_actors.h"
#include "authoring/level_grid.h"
#include "authoring/route_planner.h"
#include "level/ground_index.h"
#include "level/level.h"
#include "tests/support/document_reading.h"

namespace {

using quillomar::level;

void check(bool condition, const char* what) {
    if (!condition) {
        std::cerr << "level_fuzzer: " << what << std::endl;
        std::abort();
    }
}

// The centre's reading: the layout's row count and its last row's length, none before "path".
glm::vec3 reference_centre(const std::string& text) {
    std::istringstream in(text);
    bool layout = false;
    int rows = 0;
    int columns = 0;
    for (std::string line; std::getline(in, line);) {
        if (!in.eof() && !line.empty() && line.back() == '\r') {
            line.pop_back();  // only before a line feed
        }
        if (layout) {
            columns = static_cast<int>(line.size());
            ++rows;
        } else {
            layout = line.substr(0, line.find(' ')) == "path";
        }
    }
    return glm::vec3(static_cast<float>(columns), 30.0f, static_cast<float>(rows));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    level lvl;
    std::istringstream in(text);
    lvl.read_stream(in);

    // The editor's document reads the same rules its own way: the game must agree with it.
    const std::string differs = quillomar::test::game_reads_otherwise(quillomar::level_document(text));
    check(differs.empty(), differs.c_str());
    check(lvl.initial_items == lvl.items, "the items as read are the ones a restart brings back");
    check(lvl.centre == reference_centre(text), "the centre is not the layout's size");

    // Each item and spider remembers its line, and lines only go forward.
    const quillomar::level_source_lines& lines = lvl.source;
    check(lines.items.size() == lvl.initial_items.size() &&
              lines.enemies.size() == lvl.enemies.size(),
          "one source line per item and spider");
    check(std::is_sorted(lines.items.begin(), lines.items.end()) &&
              std::is_sorted(lines.enemies.begin(), lines.enemies.end()),
          "source lines in file order");
    check(lines.unknown.size() <= quillomar::level_source_lines::max_unknown &&
              lines.unknown.size() <= lines.unknown_count,
          "unknown keywords are bounded");

    // The checker's view of whatever came out: a grid inside its bounds, and a plan that either
    // reaches the finish from the start or says why not.
    const quillomar::level_grid grid = quillomar::make_level_grid(lvl);
    check(grid.too_large || grid.heights.size() ==
                                static_cast<std::size_t>(grid.columns) * grid.rows,
          "one height per cell");
    const quillomar::route_plan plan = quillomar::plan_route(grid);
    check(plan.found ? plan.steps.front().cell == grid.start && plan.steps.back().cell == grid.finish
                     : !plan.reason.empty(),
          "a plan runs from start to finish or gives a reason");
    check(!plan.place || grid.inside(plan.place->x, plan.place->z),
          "the cell a failed plan names is a cell of the grid");

    lvl.place_items();
    place_enemies(lvl);
    for (const glm::vec3& p : lvl.items) {
        check(p.y == quillomar::cube_top_at(lvl.cubes, p.x, p.z), "item height differs");
    }
    check(lvl.headings.size() == lvl.enemies.size(), "one heading per enemy");

    // A few frames of play: legs, walking, a whole flip, pick-ups and a restart.
    lvl.enemies_walk = true;
    quillomar::random_stream random;
    const glm::vec3 ball(lvl.start.x, lvl.height_at(lvl.start.x, lvl.start.y) + 1.0f, lvl.start.y);
    for (int frame = 0; frame < 4; ++frame) {
        update_actors(lvl, 0.7, frame * 0.7, random);
        lvl.flip(frame * 0.7);
        pick_up_items(lvl, ball);
        enemy_touches(lvl, ball);
    }
    check(lvl.flip_done, "the flip ends after two seconds");
    for (std::size_t i = 0; i < lvl.cubes.size(); ++i) {
        check(lvl.cubes[i].y == 8.0f - lvl.saved_heights[i], "the flip mirrors about 4");
    }
    lvl.restore_items();
    check(lvl.items == lvl.initial_items, "restore brings every item back");
    return 0;
}
