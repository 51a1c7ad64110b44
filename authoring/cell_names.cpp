#include "authoring/cell_names.h"

#include <algorithm>
#include <cstdlib>

#include "authoring/level_grid.h"
#include "authoring/route_planner.h"
#include "game/words.h"

namespace quillomar {
namespace {

// `text` (already in the player's language) with "{n}" replaced by `n`.
std::string with_number(std::string text, int n) {
    const std::size_t at = text.find("{n}");
    if (at != std::string::npos) {
        text.replace(at, 3, std::to_string(n));
    }
    return text;
}

}  // namespace

std::vector<level_cell> route_cells(const level& lvl) {
    const route_plan plan = plan_route(make_level_grid(lvl));
    std::vector<level_cell> cells;
    if (!plan.found) {
        return cells;
    }
    for (const route_step& step : plan.steps) {
        const level_cell cell{step.cell.x, step.cell.z};
        if (std::find(cells.begin(), cells.end(), cell) == cells.end()) {
            cells.push_back(cell);
        }
    }
    return cells;
}

std::string name_of_cell(const level& lvl, const std::vector<level_cell>& route,
                         const level_cell& cell) {
    const level_cell start = cell_under(lvl.start.x, lvl.start.y);
    const level_cell finish = cell_under(lvl.finish.x, lvl.finish.y);
    if (cell == start) {
        return tr("the start");
    }
    if (cell == finish) {
        return tr("the finish");
    }
    const auto on_route = std::find(route.begin(), route.end(), cell);
    if (on_route != route.end()) {
        const int past = static_cast<int>(on_route - route.begin());
        return past == 1 ? tr("1 cell past the start")
                         : with_number(tr("{n} cells past the start"), past);
    }
    // Off the route: rows first (north is towards row 0), then columns.
    const int rows = cell.second - start.second;
    const int columns = cell.first - start.first;
    // Both forms go through tr() where they are written, so that the catalogues find them.
    const auto part = [](int n, const std::string& one, const std::string& many) {
        return std::abs(n) == 1 ? one : with_number(many, std::abs(n));
    };
    std::string way;
    if (rows != 0) {
        way = rows < 0 ? part(rows, tr("1 cell north"), tr("{n} cells north"))
                       : part(rows, tr("1 cell south"), tr("{n} cells south"));
    }
    if (columns != 0) {
        way += (way.empty() ? "" : ", ") +
               (columns < 0 ? part(columns, tr("1 cell west"), tr("{n} cells west"))
                            : part(columns, tr("1 cell east"), tr("{n} cells east")));
    }
    return way + " " + tr("of the start");
}

}  // namespace quillomar
