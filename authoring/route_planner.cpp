#include "authoring/route_planner.h"

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <queue>
#include <unordered_map>

namespace quillomar {
namespace {

constexpr int max_items_planned = 64;

// Costs: a flip takes the ball several seconds of standing still, so one flip outweighs any
// walk; a cell beside a drop is avoided where a safer way is not much longer.
constexpr std::int64_t flip_cost = std::int64_t{1} << 32;
constexpr std::int64_t cell_cost = 10;
constexpr std::int64_t beside_drop_cost = 25;
// A spider's reach is crossed only where there is no other way: getting past needs timing that
// whole cells cannot express, so such a route is left to the player to prove.
constexpr std::int64_t spider_reach_cost = 1000;

constexpr int dx[4] = {1, 0, -1, 0};
constexpr int dz[4] = {0, 1, 0, -1};

struct state {
    std::uint32_t cell = 0;
    std::uint32_t flips = 0;
    std::uint64_t items = 0;  // picked up, one bit per entry of grid.items
    bool operator==(const state& o) const {
        return cell == o.cell && flips == o.flips && items == o.items;
    }
};

struct state_hash {
    std::size_t operator()(const state& s) const {
        std::uint64_t h = s.items * 0x9E3779B97F4A7C15ULL;
        h ^= (static_cast<std::uint64_t>(s.cell) << 20) ^ s.flips;
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
};

struct visit {
    std::int64_t cost = 0;
    state parent;
    route_move move = route_move::start;
    bool done = false;
};

int popcount(std::uint64_t v) {
    int n = 0;
    for (; v != 0; v &= v - 1) {
        ++n;
    }
    return n;
}

class planner {
public:
    // With free_flips, flips cost no change and items are not tracked: the fewest flips any
    // route needs.
    planner(const level_grid& grid, bool free_flips) : grid_(grid), free_flips_(free_flips) {
        const std::size_t count = grid.heights.size();
        beside_drop_.assign(count, false);
        item_bit_.assign(count, -1);
        for (int z = 0; z < grid.rows; ++z) {
            for (int x = 0; x < grid.columns; ++x) {
                for (int ox = -1; ox <= 1; ++ox) {
                    for (int oz = -1; oz <= 1; ++oz) {
                        if (grid.height(x + ox, z + oz) == no_cube) {
                            beside_drop_[grid.index(x, z)] = true;
                        }
                    }
                }
            }
        }
        for (std::size_t i = 0; i < grid.items.size() && i < max_items_planned; ++i) {
            const std::size_t at = grid.index(grid.items[i].x, grid.items[i].z);
            if (item_bit_[at] < 0) {
                item_bit_[at] = static_cast<int>(i);
            }
        }
    }

    // Fills the plan's steps and flips when the finish is reached; false otherwise.
    bool search(route_plan& plan) {
        const std::uint32_t start = cell_index(grid_.start);
        const state first{start, 0, pick_up(0, start)};
        reach(first, 0, first, route_move::start);
        while (!queue_.empty()) {
            const auto [cost, order, s] = queue_.top();
            queue_.pop();
            visit& v = visits_.at(s);
            if (v.done || v.cost != cost) {
                continue;
            }
            v.done = true;
            if (s.cell == cell_index(grid_.finish)) {
                trace(s, plan);
                return true;
            }
            if (visits_.size() > max_plan_states) {
                gave_up_ = true;
                return false;
            }
            expand(s, cost);
        }
        return false;
    }

    bool gave_up() const { return gave_up_; }
    // Of every cell the search reached, the one nearest the finish in a straight line (the
    // first reached among equals): where a failed search got farthest.
    grid_cell nearest_to_finish() const { return cell_at(nearest_); }

private:
    using entry = std::tuple<std::int64_t, std::uint64_t, state>;
    struct later {
        bool operator()(const entry& a, const entry& b) const {
            return std::get<0>(a) != std::get<0>(b) ? std::get<0>(a) > std::get<0>(b)
                                                    : std::get<1>(a) > std::get<1>(b);
        }
    };

    std::uint32_t cell_index(grid_cell c) const {
        return static_cast<std::uint32_t>(grid_.index(c.x, c.z));
    }
    grid_cell cell_at(std::uint32_t i) const {
        return {static_cast<int>(i % static_cast<std::uint32_t>(grid_.columns)),
                static_cast<int>(i / static_cast<std::uint32_t>(grid_.columns))};
    }
    std::uint64_t pick_up(std::uint64_t items, std::uint32_t cell) const {
        const int bit = item_bit_[cell];
        return free_flips_ || bit < 0 ? items : items | (std::uint64_t{1} << bit);
    }
    int open_height(int x, int z, bool flipped) const { return grid_.height(x, z, flipped); }

    void reach(const state& s, std::int64_t cost, const state& parent, route_move move) {
        auto [it, added] = visits_.try_emplace(s);
        if (added) {
            note_nearest(s.cell);
        } else if (it->second.cost <= cost) {
            return;
        }
        it->second = {cost, parent, move, false};
        queue_.emplace(cost, order_++, s);
    }

    void note_nearest(std::uint32_t cell) {
        const grid_cell c = cell_at(cell);
        const std::int64_t x = c.x - grid_.finish.x;
        const std::int64_t z = c.z - grid_.finish.z;
        if (x * x + z * z < nearest_distance_) {
            nearest_distance_ = x * x + z * z;
            nearest_ = cell;
        }
    }

    void expand(const state& s, std::int64_t cost) {
        const grid_cell c = cell_at(s.cell);
        const bool flipped = (s.flips & 1u) != 0;
        const int h = grid_.height(c.x, c.z, flipped);
        for (int d = 0; d < 4; ++d) {
            const int nx = c.x + dx[d];
            const int nz = c.z + dz[d];
            const int nh = open_height(nx, nz, flipped);
            if (nh != no_cube && nh <= h) {
                enter(s, cost, {nx, nz}, route_move::roll);
            } else if (grid_.height(nx, nz) == no_cube && can_jump(c, d, h, flipped)) {
                enter(s, cost + cell_cost, {nx + dx[d], nz + dz[d]}, route_move::jump);
            }
        }
        const int changes = popcount(s.items) - static_cast<int>(s.flips);
        // A flip keeps the ball standing still for seconds: where a spider comes by, only when
        // there is no other place.
        const std::int64_t flip = flip_cost + (grid_.spider_can_reach(c.x, c.z) ? 4 * spider_reach_cost : 0);
        if (free_flips_) {
            // Only the flip state matters then; the trace counts the flips.
            reach({s.cell, s.flips ^ 1u, s.items}, cost + flip, s, route_move::flip);
        } else if (changes > 0) {
            reach({s.cell, s.flips + 1, s.items}, cost + flip, s, route_move::flip);
        }
    }

    void enter(const state& s, std::int64_t cost, grid_cell to, route_move move) {
        const std::uint32_t i = cell_index(to);
        const std::int64_t step = cell_cost + (beside_drop_[i] ? beside_drop_cost : 0) +
                                  (grid_.spider_reach[i] ? spider_reach_cost : 0);
        reach({i, s.flips, pick_up(s.items, i)}, cost + step, s, move);
    }

    // Over the empty cell in direction d: a run-up of flat open cells behind the take-off, and
    // a flat open landing three cells long and three wide at the same height or lower.
    bool can_jump(grid_cell c, int d, int h, bool flipped) const {
        for (int back = 1; back < jump_run_up_cells; ++back) {
            if (open_height(c.x - dx[d] * back, c.z - dz[d] * back, flipped) != h) {
                return false;
            }
        }
        const int land_x = c.x + 2 * dx[d];
        const int land_z = c.z + 2 * dz[d];
        const int landing = open_height(land_x, land_z, flipped);
        if (landing == no_cube || landing > h) {
            return false;
        }
        for (int ahead = 0; ahead < 3; ++ahead) {
            for (int side = -1; side <= 1; ++side) {
                const int x = land_x + dx[d] * ahead + dz[d] * side;
                const int z = land_z + dz[d] * ahead + dx[d] * side;
                if (open_height(x, z, flipped) != landing) {
                    return false;
                }
            }
        }
        return true;
    }

    void trace(state s, route_plan& plan) const {
        std::vector<route_step> reversed;
        for (;;) {
            const visit& v = visits_.at(s);
            reversed.push_back({v.move, cell_at(s.cell)});
            if (v.move == route_move::start) {
                break;
            }
            s = v.parent;
        }
        plan.steps.assign(reversed.rbegin(), reversed.rend());
        plan.flips = 0;
        plan.spider_cells = 0;
        for (const route_step& step : plan.steps) {
            plan.flips += step.move == route_move::flip ? 1 : 0;
            plan.spider_cells += grid_.spider_can_reach(step.cell.x, step.cell.z);
        }
    }

    const level_grid& grid_;
    const bool free_flips_;
    std::vector<bool> beside_drop_;
    std::vector<int> item_bit_;  // which item stands on each cell, -1 for none
    std::unordered_map<state, visit, state_hash> visits_;
    std::priority_queue<entry, std::vector<entry>, later> queue_;
    std::uint64_t order_ = 0;
    bool gave_up_ = false;
    std::int64_t nearest_distance_ = INT64_MAX;
    std::uint32_t nearest_ = 0;
};

std::string plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string cell_text(grid_cell c) {
    return "(" + std::to_string(c.x) + ", " + std::to_string(c.z) + ")";
}

route_plan plan_route(const level_grid& grid) {
    route_plan plan;
    if (grid.too_large) {
        plan.reason = "the layout is too large to check";
    } else if (grid.heights.empty()) {
        plan.reason = "the level has no cubes";
    } else if (!grid.start_on_cube) {
        plan.reason = "the start is not on a cube";
    } else if (!grid.finish_on_cube) {
        plan.reason = "the finish is not on a cube";
    } else if (std::abs(grid.start.x - grid.finish.x) <= 1 &&
               std::abs(grid.start.z - grid.finish.z) <= 1) {
        // The ball would sit on the finish, or roll onto it by the first nudge.
        plan.reason = "the start is the finish";
        plan.place = grid.start;
    }
    if (!plan.reason.empty()) {
        return plan;
    }
    planner with_items(grid, false);
    if (with_items.search(plan)) {
        plan.found = true;
        return plan;
    }
    if (with_items.gave_up()) {
        plan.reason = "the route search gave up after " + std::to_string(max_plan_states) +
                      " states";
        return plan;
    }
    route_plan unlimited;
    planner free_flips(grid, true);
    if (!free_flips.search(unlimited)) {
        plan.place = free_flips.nearest_to_finish();
        plan.reason = "no route past " + cell_text(*plan.place) + ", even with flips";
        return plan;
    }
    const int items = static_cast<int>(grid.items.size());
    plan.flips = unlimited.flips;
    const std::string needs = "needs " + plural(unlimited.flips, "flip", "flips");
    if (unlimited.flips > items) {
        plan.reason = needs + " but has " + plural(items, "item", "items");
    } else if (unlimited.flips == 1) {
        // Enough items, but every one lies where only the flip itself leads.
        plan.reason = needs + ", but no item can be reached before the flip it pays for";
    } else {
        plan.reason = needs + ", but not enough items can be reached before the flips they pay for";
    }
    plan.place = with_items.nearest_to_finish();
    plan.reason += "; no route past " + cell_text(*plan.place);
    return plan;
}

}  // namespace quillomar
