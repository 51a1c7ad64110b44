// Feeds arbitrary bytes to the level-file reader, checks the streaming reader against a plain
// line-by-line reading of the same rules, and runs the level's rules on whatever came out.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <sstream>

#include "actors/level_actors.h"
#include "authoring/level_grid.h"
#include "authoring/route_planner.h"
#include "level/ground_index.h"
#include "level/level.h"

namespace {

using quillomar::level;

void check(bool condition, const char* what) {
    if (!condition) {
        std::cerr << "level_fuzzer: " << what << std::endl;
        std::abort();
    }
}

// World units of atoi with the 32-bit clamp, built on strtoll: an independent reading.
float world(const std::string& text) {
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    const long long limit = std::numeric_limits<int>::max();
    return static_cast<float>(2.0 * static_cast<int>(std::clamp(value, -limit - 1, limit)));
}

// The level file's rules, one whole line at a time.
level reference(const std::string& text) {
    level lvl;
    std::istringstream in(text);
    bool layout = false;
    int row = 0;
    int column = 0;
    for (std::string line; std::getline(in, line);) {
        if (!in.eof() && !line.empty() && line.back() == '\r') {
            line.pop_back();  // only before a line feed
        }
        if (layout) {
            for (column = 0; column < static_cast<int>(line.size()); ++column) {
                const char c = line[column];
                if (c >= '1' && c <= '9' && lvl.cubes.size() < level::max_cubes) {
                    lvl.cubes.emplace_back(2.0f * column, 2.0f * (c - '0'), 2.0f * row);
                }
            }
            ++row;
            continue;
        }
        const std::size_t f = line.find(' ');
        const std::size_t l = line.rfind(' ');
        const std::string keyword = line.substr(0, f);
        // X runs to the next space and, after one space only, is no longer than the keyword.
        std::string first = f == line.npos ? line : line.substr(f + 1, l);
        first = first.substr(0, first.find(' '));
        const glm::vec3 at(world(first), 0.0f, world(l == line.npos ? line : line.substr(l + 1)));
        if (keyword == "start" || keyword == "finish") {
            (keyword == "start" ? lvl.start : lvl.finish) = glm::vec2(at.x, at.z);
        } else if (keyword == "enemy" && lvl.enemies.size() < level::max_enemies) {
            lvl.enemies.push_back(at);
        } else if (keyword == "item" && lvl.items.size() < level::max_items) {
            lvl.items.push_back(at);
            lvl.initial_items.push_back(at);
        } else if (keyword == "title" || keyword == "hint" || keyword == "facing") {
            const std::string rest =
                f == line.npos ? std::string() : line.substr(f + 1, quillomar::max_level_text_bytes);
            if (keyword != "facing") {
                (keyword == "title" ? lvl.title : lvl.hint) = rest;
            } else if (const auto named = quillomar::facing_named(rest)) {
                lvl.start_facing = *named;
            }
        }
        layout = keyword == "path";
    }
    lvl.centre = glm::vec3(static_cast<float>(column), 30.0f, static_cast<float>(row));
    return lvl;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    level lvl;
    std::istringstream in(text);
    lvl.read_stream(in);

    // Both readings keep the same counts of each kind (fuzz inputs stay below the file-size
    // limit), so they must agree exactly.
    const level expected = reference(text);
    check(lvl.cubes == expected.cubes && lvl.items == expected.items &&
              lvl.initial_items == expected.initial_items && lvl.enemies == expected.enemies,
          "the two readings place different cubes, items or spiders");
    check(lvl.start == expected.start && lvl.finish == expected.finish &&
              lvl.centre == expected.centre,
          "the two readings differ in the start, finish or centre");
    check(lvl.start_facing == expected.start_facing && lvl.title == expected.title &&
              lvl.hint == expected.hint,
          "the two readings differ in the facing, title or hint");

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
