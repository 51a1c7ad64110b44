#include "authoring/level_generator.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <vector>

#include "authoring/level_grid.h"
#include "authoring/level_title.h"
#include "authoring/route_planner.h"
#include "common/random_stream.h"
#include "level/facing.h"
#include "level/level.h"

namespace quillomar {
namespace {

// The canvas the platforms are laid on; the level is cut down to what they cover.
constexpr int canvas = 96;

struct block {
    int x0, z0, width, depth;  // cells: columns x0 .. x0 + width - 1, rows z0 .. z0 + depth - 1
    int digit;
    bool overlaps(const block& o, int margin) const {
        return x0 - margin < o.x0 + o.width && o.x0 < x0 + width + margin &&
               z0 - margin < o.z0 + o.depth && o.z0 < z0 + depth + margin;
    }
    bool on_canvas() const {
        return x0 >= 1 && z0 >= 1 && x0 + width < canvas && z0 + depth < canvas;
    }
};

// One try at a level: platforms joined one after another, heading east or south so that the
// way never crosses itself. Heights stay within 1 to 3 as the ball sees them, so every
// platform has a digit 1 to 3 whichever way the level is flipped.
class layout {
public:
    layout(random_stream& random, int joins) : random_(random) {
        blocks_.push_back({1, 1, random_.between(3, 5), random_.between(3, 5),
                           random_.between(2, 3)});
        level_ = blocks_.back().digit;
        for (int j = 0; j < joins; ++j) {
            for (int attempt = 0; attempt < 12 && !join(); ++attempt) {
            }
        }
        add_spider_islands(joins / 3 + 1);
    }

    const block& first() const { return blocks_.front(); }

    // The start cell, in the middle of the first platform.
    grid_cell start() const {
        const block& first = blocks_.front();
        return {first.x0 + first.width / 2, first.z0 + first.depth / 2};
    }

    // True when nothing but the ball waits on the start cell: no item (it would be taken
    // before the first push), no spider, not the finish (a level won as it begins).
    bool start_is_clear() const {
        const grid_cell s = start();
        const block& last = blocks_[path_blocks_ - 1];
        const grid_cell finish{last.x0 + last.width / 2, last.z0 + last.depth / 2};
        const auto on_start = [s](const std::vector<grid_cell>& cells) {
            return std::find(cells.begin(), cells.end(), s) != cells.end();
        };
        return !(finish == s) && !on_start(items_) && !on_start(spiders_);
    }

    std::string text(std::uint64_t seed, const char* size, std::optional<facing> heading) const {
        int columns = 0;
        int rows = 0;
        for (const block& b : blocks_) {
            columns = std::max(columns, b.x0 + b.width + 1);
            rows = std::max(rows, b.z0 + b.depth + 1);
        }
        std::vector<std::string> cells(static_cast<std::size_t>(rows),
                                       std::string(static_cast<std::size_t>(columns), '0'));
        for (const block& b : blocks_) {
            for (int z = b.z0; z < b.z0 + b.depth; ++z) {
                for (int x = b.x0; x < b.x0 + b.width; ++x) {
                    cells[z][x] = static_cast<char>('0' + b.digit);
                }
            }
        }
        std::ostringstream out;
        out << "# Made by quillomar --generate " << seed << " --size " << size << ".\n";
        out << "title " << title_for_seed(seed) << "\n";
        const block& last = blocks_[path_blocks_ - 1];
        out << "start " << start().x << " " << start().z << "\n";
        if (heading) {
            out << "facing " << facing_name(*heading) << "\n";
        }
        out << "finish " << last.x0 + last.width / 2 << " " << last.z0 + last.depth / 2 << "\n";
        for (const grid_cell& c : items_) {
            out << "item " << c.x << " " << c.z << "\n";
        }
        for (const grid_cell& c : spiders_) {
            out << "enemy " << c.x << " " << c.z << "\n";
        }
        out << "path\n";
        for (const std::string& row : cells) {
            out << row << "\n";
        }
        return out.str();
    }

private:
    int digit_of(int seen) const { return flipped_ ? 4 - seen : seen; }
    int seen_of(int digit) const { return flipped_ ? 4 - digit : digit; }

    // Adds the next platform; false when it would touch an earlier one.
    bool join() {
        enum kind { roll, step_down, gap, flip_gate };
        kind k = static_cast<kind>(random_.below(4));
        if (k == step_down && level_ == 1) {
            k = roll;
        }
        if (k == flip_gate && level_ == 3) {
            k = step_down;
        }
        const bool east = random_.below(2) == 0;
        block current = blocks_.back();
        int& along = east ? current.width : current.depth;
        if (k == gap) {
            // A straight run-up inside the platform before the edge.
            along = std::max(along, jump_run_up_cells + 1);
        }
        const int length = k == gap ? random_.between(5, 6) : random_.between(3, 6);
        const int wide = random_.between(3, 5);
        const int spacing = k == gap ? 1 : 0;
        block next{};
        if (east) {
            const int low = current.z0 - (wide - 3);
            const int high = current.z0 + current.depth - 3;
            next = {current.x0 + current.width + spacing, random_.between(low, high), length, wide,
                    0};
        } else {
            const int low = current.x0 - (wide - 3);
            const int high = current.x0 + current.width - 3;
            next = {random_.between(low, high), current.z0 + current.depth + spacing, wide,
                    length, 0};
        }
        int seen = level_;
        if (k == step_down) {
            seen = level_ - 1;
        } else if (k == gap) {
            seen = level_ > 1 && random_.below(2) == 0 ? level_ - 1 : level_;
        } else if (k == flip_gate) {
            seen = random_.between(level_ + 1, 3);  // a wall until the flip
        }
        next.digit = digit_of(seen);
        if (!next.on_canvas() || !current.on_canvas()) {
            return false;
        }
        // The platform before the current one touches it; no other may touch either.
        for (std::size_t i = 0; i + 1 < blocks_.size(); ++i) {
            if (blocks_[i].overlaps(next, 1) ||
                (i + 2 < blocks_.size() && blocks_[i].overlaps(current, 1))) {
                return false;
            }
        }
        blocks_.back() = current;
        if (k == flip_gate) {
            // The item that pays for the flip, inside the platform before the wall so that the
            // cells around its corner point share its height.
            items_.push_back({current.x0 + random_.between(1, current.width - 2),
                              current.z0 + random_.between(1, current.depth - 2)});
            flipped_ = !flipped_;
        }
        blocks_.push_back(next);
        ++path_blocks_;
        level_ = seen_of(next.digit);
        return true;
    }

    // Platforms of their own, two cells away from everything, each with a spider walking its
    // edge: a sight on the way, never on it.
    void add_spider_islands(int count) {
        for (int n = 0; n < count; ++n) {
            for (int attempt = 0; attempt < 12; ++attempt) {
                const block& near = blocks_[random_.below(static_cast<std::uint32_t>(path_blocks_))];
                const block island{near.x0 + random_.between(-6, 6), near.z0 + random_.between(-6, 6),
                                   random_.between(3, 5), random_.between(3, 5),
                                   random_.between(1, 3)};
                bool clear = island.on_canvas();
                for (const block& b : blocks_) {
                    clear = clear && !b.overlaps(island, 2);
                }
                if (clear) {
                    blocks_.push_back(island);
                    spiders_.push_back({island.x0 + island.width / 2, island.z0});
                    break;
                }
            }
        }
    }

    random_stream& random_;
    std::vector<block> blocks_;
    std::size_t path_blocks_ = 1;  // the first blocks are the way; spider islands follow
    std::vector<grid_cell> items_;
    std::vector<grid_cell> spiders_;
    int level_ = 2;  // the height the ball sees on the latest platform
    bool flipped_ = false;
};

// The way the route leaves the start's platform: from the start towards the first cell of the
// route beyond it, along the axis it goes further on. Its very first step may be a back-up for
// a run-up, or a sidestep to the edge it steps down from.
facing way_off(const route_plan& plan, const block& platform) {
    const grid_cell from = plan.steps.front().cell;
    for (const route_step& step : plan.steps) {
        const bool on_platform = step.cell.x >= platform.x0 &&
                                 step.cell.x < platform.x0 + platform.width &&
                                 step.cell.z >= platform.z0 && step.cell.z < platform.z0 + platform.depth;
        if (on_platform) {
            continue;
        }
        const int dx = step.cell.x - from.x;
        const int dz = step.cell.z - from.z;
        if (std::abs(dx) >= std::abs(dz)) {
            return dx > 0 ? facing::east : facing::west;
        }
        return dz > 0 ? facing::south : facing::north;
    }
    return facing::north;
}

// Accepted by the planner alone, and only with a route that no spider can reach; then the ball
// faces the way the route leaves the start's platform.
std::optional<facing> accepted_heading(const std::string& text, const block& platform) {
    level lvl;
    std::istringstream in(text);
    lvl.read_stream(in);
    const route_plan plan = plan_route(make_level_grid(lvl));
    if (!plan.found || plan.spider_cells != 0) {
        return std::nullopt;
    }
    return way_off(plan, platform);
}

}  // namespace

std::optional<level_size> parse_level_size(std::string_view name) {
    if (name == "small") {
        return level_size::small;
    }
    if (name == "medium") {
        return level_size::medium;
    }
    if (name == "large") {
        return level_size::large;
    }
    return std::nullopt;
}

std::string generate_level(std::uint64_t seed, level_size size) {
    const int joins = size == level_size::small ? 4 : size == level_size::medium ? 7 : 11;
    const char* name = size == level_size::small ? "small" : size == level_size::medium ? "medium" : "large";
    random_stream random(seed);
    for (;;) {
        const layout candidate(random, joins);
        if (!candidate.start_is_clear()) {
            continue;
        }
        // The planner reads no facing: the level it accepts is the one written with it.
        if (const std::optional<facing> heading =
                accepted_heading(candidate.text(seed, name, std::nullopt), candidate.first())) {
            return candidate.text(seed, name, heading);
        }
    }
}

}  // namespace quillomar
