#include "authoring/level_grid.h"

#include <algorithm>
#include <cmath>

#include "actors/enemy_walk.h"
#include "level/ground_index.h"

namespace quillomar {
namespace {

// The cell a header entry's world point names, or false when it names none of the grid.
bool cell_of(const level_grid& grid, float world_x, float world_z, grid_cell& cell) {
    const double x = static_cast<double>(world_x) * 0.5;
    const double z = static_cast<double>(world_z) * 0.5;
    if (!(x >= 0.0 && z >= 0.0 && x < grid.columns && z < grid.rows) || x != std::floor(x) ||
        z != std::floor(z)) {
        return false;
    }
    cell = {static_cast<int>(x), static_cast<int>(z)};
    return true;
}

std::string coordinates(float world_x, float world_z) {
    return "(" + std::to_string(static_cast<long long>(std::llround(world_x * 0.5))) + ", " +
           std::to_string(static_cast<long long>(std::llround(world_z * 0.5))) + ")";
}

// A ball anywhere on a cell reaches one unit past the cell's middle each way, and a spider
// touches it within two units: three units from the middle, and a quarter more for the walk
// positions skipped below.
constexpr double spider_touch_reach = 3.25;
constexpr float spider_sample_spacing = 0.25f;

void mark_spider_reach(level_grid& grid, const ground_index& ground, glm::vec3 at) {
    const float top = ground.height_at(at.x, at.z);
    if (top == no_ground) {
        return;
    }
    // A ball on a cell of height h rests with its centre at 2h + 2, the spider's top.
    const int x_low = static_cast<int>(std::floor((at.x - spider_touch_reach) * 0.5));
    const int z_low = static_cast<int>(std::floor((at.z - spider_touch_reach) * 0.5));
    for (int z = z_low; z <= z_low + 4; ++z) {
        for (int x = x_low; x <= x_low + 4; ++x) {
            const int h = grid.height(x, z);
            if (h != no_cube && static_cast<float>(2 * h + 2) == top &&
                std::fabs(at.x - 2.0 * x) < spider_touch_reach &&
                std::fabs(at.z - 2.0 * z) < spider_touch_reach) {
                grid.spider_reach[grid.index(x, z)] = true;
            }
        }
    }
}

// Walks each spider the way play does, long enough to go round any platform of the layout,
// and marks every cell it can touch a ball on.
void find_spider_reach(level_grid& grid, const level& lvl) {
    grid.spider_reach.assign(grid.heights.size(), false);
    if (lvl.enemies.empty()) {
        return;
    }
    const int ticks = 60 * (4 * (grid.columns + grid.rows) + 8);
    const ground_index ground(lvl.cubes, lvl.enemies.size() * static_cast<std::size_t>(ticks));
    for (const glm::vec3& placed : lvl.enemies) {
        glm::vec3 p = placed;
        p.y = static_cast<float>(static_cast<double>(ground.height_at(p.x, p.z)) - 0.6);
        if (ground.height_at(p.x, p.z) == no_ground) {
            continue;
        }
        glm::vec3 heading(-1.0f, 0.0f, 0.0f);
        glm::vec3 marked = p;
        mark_spider_reach(grid, ground, p);
        for (int t = 0; t < ticks; ++t) {
            walk_enemy(p, heading, 1.0f / 60.0f, ground);
            if (std::fabs(p.x - marked.x) >= spider_sample_spacing ||
                std::fabs(p.z - marked.z) >= spider_sample_spacing) {
                marked = p;
                mark_spider_reach(grid, ground, p);
            }
        }
        mark_spider_reach(grid, ground, p);
    }
}

void over_limit(level_grid& grid, std::uint64_t line, std::size_t limit, const char* what) {
    if (line != 0) {
        grid.problems.push_back({line, "more than " + std::to_string(limit) + " " + what +
                                           "; the rest are ignored"});
    }
}

}  // namespace

level_grid make_level_grid(const level& lvl) {
    level_grid grid;
    const level_source_lines& source = lvl.source;
    for (const auto& [line, word] : source.unknown) {
        grid.problems.push_back({line, "unknown keyword '" + word + "'"});
    }
    if (source.unknown_count > source.unknown.size()) {
        grid.problems.push_back(
            {0, std::to_string(source.unknown_count - source.unknown.size()) +
                    " more lines with an unknown keyword"});
    }
    if (source.bad_facing != 0) {
        grid.problems.push_back(
            {source.bad_facing, "a facing is north, east, south or west; this line is ignored"});
    }
    over_limit(grid, source.cubes_over, level::max_cubes, "cubes");
    over_limit(grid, source.items_over, level::max_items, "items");
    over_limit(grid, source.enemies_over, level::max_enemies, "spiders");

    double last_column = -1.0;
    double last_row = -1.0;
    for (const glm::vec3& c : lvl.cubes) {
        last_column = std::max(last_column, static_cast<double>(c.x) * 0.5);
        last_row = std::max(last_row, static_cast<double>(c.z) * 0.5);
    }
    if ((last_column + 1.0) * (last_row + 1.0) > static_cast<double>(max_grid_cells)) {
        grid.too_large = true;
        grid.problems.push_back(
            {0, "the layout spreads over more than " + std::to_string(max_grid_cells) +
                    " cells, too many to check"});
        return grid;
    }
    grid.columns = static_cast<int>(last_column + 1.0);
    grid.rows = static_cast<int>(last_row + 1.0);
    grid.heights.assign(static_cast<std::size_t>(grid.columns) * grid.rows, no_cube);
    for (const glm::vec3& c : lvl.cubes) {
        grid.heights[grid.index(static_cast<int>(c.x * 0.5f), static_cast<int>(c.z * 0.5f))] =
            static_cast<int>(c.y * 0.5f);
    }

    const auto on_cube = [&grid](glm::vec2 at, grid_cell& cell) {
        return cell_of(grid, at.x, at.y, cell) && grid.height(cell.x, cell.z) != no_cube;
    };
    grid.start_on_cube = on_cube(lvl.start, grid.start);
    if (!grid.start_on_cube) {
        grid.problems.push_back(
            {source.start, "the start " + coordinates(lvl.start.x, lvl.start.y) + " is not on a cube"});
    }
    grid.finish_on_cube = on_cube(lvl.finish, grid.finish);
    if (!grid.finish_on_cube) {
        grid.problems.push_back({source.finish, "the finish " +
                                                    coordinates(lvl.finish.x, lvl.finish.y) +
                                                    " is not on a cube"});
    }
    const ground_index ground(lvl.cubes, lvl.initial_items.size());
    for (std::size_t i = 0; i < lvl.initial_items.size(); ++i) {
        const glm::vec3& p = lvl.initial_items[i];
        const std::uint64_t line = i < source.items.size() ? source.items[i] : 0;
        grid_cell cell;
        if (!on_cube(glm::vec2(p.x, p.z), cell)) {
            grid.problems.push_back(
                {line, "the item " + coordinates(p.x, p.z) + " is over an empty cell"});
        } else if (ground.height_at(p.x, p.z) !=
                   static_cast<float>(2 * grid.height(cell.x, cell.z) + 2)) {
            // The item hovers at the height of the first cube at its corner point.
            grid.problems.push_back(
                {line, "the item " + coordinates(p.x, p.z) +
                           " floats at another height than its cell; give the cells around it "
                           "one height"});
        } else {
            grid.items.push_back(cell);
        }
    }
    for (std::size_t i = 0; i < lvl.enemies.size(); ++i) {
        const glm::vec3& p = lvl.enemies[i];
        grid_cell cell;
        if (!on_cube(glm::vec2(p.x, p.z), cell)) {
            grid.problems.push_back({i < source.enemies.size() ? source.enemies[i] : 0,
                                     "the spider " + coordinates(p.x, p.z) +
                                         " is over an empty cell"});
        }
    }
    find_spider_reach(grid, lvl);
    return grid;
}

}  // namespace quillomar
