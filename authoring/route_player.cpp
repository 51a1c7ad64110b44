#include "authoring/route_player.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <unordered_set>

#include "common/float_maths.h"
#include "game/game_core.h"
#include "game/state_hash.h"
#include "game/steering.h"
#include "game/tick_clock.h"

namespace quillomar {
namespace {

// How near a spider on the ball's level may come before the player backs away (world units).
constexpr float spider_margin = 4.0f;
// The ball is dropped onto the start from y = 25; below this it has left the drop. A ball resting
// on the highest cube (9) stands at y = 20.
constexpr float below_drop = 24.0f;
// Below every cube: the lowest (a 9 flipped to -5) holds the ball at y = -8, and a ball that fell
// dies on the ground plane at y = -18.
constexpr float below_cubes = -12.0f;

// The one place the core is advanced: one tick with these commands held. Everything else here
// decides what to hold.
class ticking_core {
public:
    explicit ticking_core(const level& lvl) {
        core.use_level(lvl);
        core.state.simulate_burst = false;  // nobody watches
        core.place_items();
        core.place_enemies();
        core.init_ball();
        core.init_cameras();
        core.create_physics();
    }
    game_events tick(const std::set<command>& held, std::int32_t steer,
                     std::vector<frame_input>& frames) {
        std::array<bool, command_count> down{};
        for (command c : held) {
            down[static_cast<std::size_t>(c)] = true;
        }
        ++ticks;
        // The time a recording gives the tick back, so that its replay is this run to the bit.
        frames.push_back(presses_.next(tick_time(ticks), down));
        frames.back().steer = steer;
        return core.step(frames.back());
    }
    game_core core;
    long ticks = 0;

private:
    held_to_presses presses_;
};

struct waypoint {
    glm::vec2 target{0.0f};  // world x, z
    float speed = 3.0f;      // the speed to arrive with, units per second
    bool flip = false;       // stop here and flip the level
};

glm::vec2 centre_of(grid_cell c) {
    return glm::vec2(2.0f * static_cast<float>(c.x), 2.0f * static_cast<float>(c.z));
}

// Waypoints where the route turns, flips, jumps or ends; straight runs in between are rolled
// at cruising speed. Before a jump the ball goes back to the start of its run-up and arrives
// there slowly, then runs through the take-off towards the landing cell.
std::vector<waypoint> waypoints_of(const route_plan& plan) {
    std::vector<waypoint> points;
    const std::vector<route_step>& steps = plan.steps;
    for (std::size_t i = 1; i < steps.size(); ++i) {
        const route_step& s = steps[i];
        if (s.move == route_move::flip) {
            points.push_back({centre_of(s.cell), 0.0f, true});
            continue;
        }
        if (s.move == route_move::jump) {
            const grid_cell from = steps[i - 1].cell;
            const int ux = (s.cell.x - from.x) / 2;
            const int uz = (s.cell.z - from.z) / 2;
            const int back = jump_run_up_cells - 1;
            points.push_back({centre_of({from.x - ux * back, from.z - uz * back}), 0.5f});
            points.push_back({centre_of(s.cell), 7.5f});
            continue;
        }
        const bool last = i + 1 == steps.size();
        const route_step* next = last ? nullptr : &steps[i + 1];
        const grid_cell from = steps[i - 1].cell;
        const bool straight_on = next != nullptr && next->move == route_move::roll &&
                                 next->cell.x - s.cell.x == s.cell.x - from.x &&
                                 next->cell.z - s.cell.z == s.cell.z - from.z;
        if (!straight_on) {
            points.push_back({centre_of(s.cell), last ? 1.0f : 1.5f});
        }
    }
    return points;
}

// Follows the waypoints by pushing and turning; after a lost life it starts again from the
// first one.
class autopilot {
public:
    autopilot(const game_state& game, std::vector<waypoint> route, steering how)
        : game_(game), route_(std::move(route)), lives_seen_(game.lives), how_(how) {}

    // The turn of the heading that goes with the latest keys(), under direct steering.
    std::int32_t steer() const { return steer_; }

    std::set<command> keys() {
        steer_ = 0;
        if (game_.lives != lives_seen_) {
            lives_seen_ = game_.lives;
            next_ = 0;
            flip_phase_ = 0;
            landed_ = false;
        }
        const btVector3 v = game_.ball.body->getLinearVelocity();
        // Nothing to steer while dying, or before the ball has come to rest on its start (an
        // item there is only picked up once it lies still beside it).
        landed_ = landed_ || (game_.ball.position.y < below_drop && std::fabs(v.y()) < 0.05f);
        if (game_.dying || game_.won || next_ >= route_.size() || !landed_) {
            return {};
        }
        const waypoint& wp = route_[next_];
        const glm::vec2 position(game_.ball.position.x, game_.ball.position.z);
        const glm::vec2 to_target = wp.target - position;
        const float distance = glm::length(to_target);
        if (wp.flip) {
            return flip_keys(distance, glm::length(glm::vec2(v.x(), v.z())));
        }
        if (distance < (wp.speed > 4.0f ? 1.0f : 0.6f)) {
            ++next_;
            return keys();
        }
        // Slow down towards the waypoint's own speed as it comes near.
        const float speed =
            std::min(std::max(wp.speed, 3.5f), std::max(wp.speed, 1.2f * distance));
        const glm::vec2 desired =
            distance > 1e-4f ? to_target / distance * speed : glm::vec2(0.0f);
        // A run-up must stay straight: no dodging there.
        return steer_towards(wp.speed > 4.0f ? desired : desired + away_from_spiders());
    }

private:
    // A push away from every spider on the ball's own level that is nearer than the margin.
    glm::vec2 away_from_spiders() const {
        const glm::vec2 position(game_.ball.position.x, game_.ball.position.z);
        glm::vec2 push(0.0f);
        for (const glm::vec3& e : game_.level.enemies) {
            const glm::vec2 away = position - glm::vec2(e.x, e.z);
            const float gap = glm::length(away);
            if (gap < spider_margin && gap > 1e-4f &&
                std::fabs(e.y - game_.ball.position.y) < 2.0f) {
                push += away / gap * (spider_margin - gap) * 3.0f;
            }
        }
        return push;
    }

    bool spider_near(float within) const {
        const glm::vec2 position(game_.ball.position.x, game_.ball.position.z);
        for (const glm::vec3& e : game_.level.enemies) {
            if (glm::length(position - glm::vec2(e.x, e.z)) < within &&
                std::fabs(e.y - game_.ball.position.y) < 2.0f) {
                return true;
            }
        }
        return false;
    }

    // At rest on the mark, press flip until the flip runs; once it has ended, hold still for a
    // second and a half, then go on.
    std::set<command> flip_keys(float distance, float speed) {
        if (flip_phase_ == 0) {
            // Flip only while no spider is near: the ball stands still for seconds.
            if (distance < 0.7f && speed < 0.4f && !spider_near(4.5f)) {
                flip_phase_ = 1;
            } else {
                const glm::vec2 to_target =
                    route_[next_].target -
                    glm::vec2(game_.ball.position.x, game_.ball.position.z);
                return steer_towards(distance > 1e-4f
                                         ? to_target / distance * std::min(1.2f * distance, 3.0f)
                                         : glm::vec2(0.0f));
            }
        }
        if (flip_phase_ == 1 && !game_.level.flipping) {
            // Press and release in turns: a press before the change is counted is lost.
            pressing_ = !pressing_;
            return pressing_ ? std::set<command>{command::flip} : std::set<command>{};
        }
        flip_phase_ = std::max(flip_phase_, 2);
        if (game_.level.flipping) {
            return {};
        }
        if (++flip_phase_ < 92) {
            return steer_towards(away_from_spiders());
        }
        flip_phase_ = 0;
        ++next_;
        return {};
    }

    std::set<command> steer_towards(const glm::vec2& desired_velocity) {
        std::set<command> held;
        const btVector3 v = game_.ball.body->getLinearVelocity();
        const glm::vec2 error = desired_velocity - glm::vec2(v.x(), v.z());
        const glm::vec2 heading(game_.ball.heading.x, game_.ball.heading.z);
        const float error_size = glm::length(error);

        // Push along the error: forward when the heading points that way, back when it points
        // away.
        glm::vec2 axis = error_size > 1e-4f ? error / error_size : heading;
        const bool backwards = glm::dot(heading, axis) < 0.0f;
        if (backwards) {
            axis = -axis;
        }
        // The angle that turns the heading onto the axis, positive in the sense turn_left turns.
        const float angle =
            fmath::atan2(heading.y * axis.x - heading.x * axis.y, glm::dot(heading, axis));
        if (error_size > 0.25f && std::fabs(angle) < 0.35f) {
            held.insert(backwards ? command::back : command::forward);
        }
        if (how_ == steering::direct) {
            // The heading turns no faster than the turn keys turn it out of the box.
            if (error_size > 0.25f) {
                const std::int32_t most = held_turn_steer(true, false, 255, default_turn_speed);
                const float wanted = angle * (180000.0f / 3.14159265f);
                steer_ = std::clamp(static_cast<std::int32_t>(std::lround(wanted)), -most, most);
            }
            return held;
        }
        // The steering sphere coasts: aim for a turn rate that fades as the heading lines up.
        const float spin = game_.ball.heading_body->getAngularVelocity().y();
        const float wanted_spin =
            error_size > 0.25f ? std::clamp(3.0f * angle, -2.5f, 2.5f) : 0.0f;
        if (spin < wanted_spin - 0.15f) {
            held.insert(command::turn_left);
        } else if (spin > wanted_spin + 0.15f) {
            held.insert(command::turn_right);
        }
        return held;
    }

    const game_state& game_;
    std::vector<waypoint> route_;
    std::size_t next_ = 0;
    int lives_seen_;
    int flip_phase_ = 0;
    bool landed_ = false;
    bool pressing_ = false;
    steering how_;
    std::int32_t steer_ = 0;
};

grid_cell cell_under(const glm::vec3& p) {
    return {static_cast<int>(std::lround(p.x * 0.5f)), static_cast<int>(std::lround(p.z * 0.5f))};
}

long long cell_key(grid_cell c) {
    return (static_cast<long long>(c.z) << 32) ^ static_cast<unsigned>(c.x);
}

// The spider nearest the ball, by the cell it stands on in the file (`read`, before placing):
// the cell an author finds it by. Spiders keep their file order in play.
std::optional<grid_cell> nearest_spider(const game_state& g, const level& read) {
    std::optional<grid_cell> found;
    float nearest = 0.0f;
    for (std::size_t i = 0; i < g.level.enemies.size() && i < read.enemies.size(); ++i) {
        const float gap = glm::length(g.ball.position - g.level.enemies[i]);
        if (!found || gap < nearest) {
            nearest = gap;
            found = cell_under(read.enemies[i]);
        }
    }
    return found;
}

}  // namespace

play_outcome play_route(const level& lvl, const route_plan& plan,
                        const std::atomic<bool>* cancel, steering how) {
    play_outcome outcome;
    outcome.steering = how;
    ticking_core game(lvl);
    const game_state& g = game.core.state;
    autopilot pilot(g, waypoints_of(plan), how);
    // Generous: a slow roll over every cell, a few seconds per flip and the start's drop.
    const long attempt_ticks =
        static_cast<long>(60.0 * (20.0 + 1.5 * static_cast<double>(plan.steps.size()) +
                                  6.0 * plan.flips));
    long attempt_started = 0;
    grid_cell last_footing = plan.steps.empty() ? grid_cell{} : plan.steps.front().cell;
    std::unordered_set<long long> cube_cells;
    for (const glm::vec3& c : lvl.cubes) {
        cube_cells.insert(cell_key(cell_under(c)));
    }
    bool was_dying = false;
    int flips = 0;
    while (!g.won && !g.lost) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
            outcome.failure = "the check was stopped";
            outcome.place.reset();
            break;
        }
        if (!g.dying && game.ticks - attempt_started > attempt_ticks) {
            outcome.place = cell_under(g.ball.position);
            outcome.failure = "the ball got stuck at " + cell_text(*outcome.place);
            break;
        }
        const std::set<command> held = pilot.keys();
        for (const game_event& e : game.tick(held, pilot.steer(), outcome.frames)) {
            if (e.kind == event_kind::flip_started) {
                ++flips;
            } else if (e.kind == event_kind::lives_changed) {
                flips = 0;
                attempt_started = game.ticks;
            }
        }
        const glm::vec3& ball = g.ball.position;
        if (g.dying && !was_dying) {
            // Below the cubes it fell; on them a spider caught it, and the author is told which.
            // Both name the last cube cell under the ball: a caught ball may hang over an edge.
            const std::optional<grid_cell> spider = nearest_spider(g, lvl);
            outcome.place = last_footing;
            outcome.failure = ball.y < below_cubes || !spider
                                  ? "the ball fell at " + cell_text(last_footing)
                                  : "the spider from " + cell_text(*spider) +
                                        " caught the ball at " + cell_text(last_footing);
        } else if (!g.dying && ball.y > below_cubes && ball.y < below_drop &&
                   cube_cells.count(cell_key(cell_under(ball))) != 0) {
            last_footing = cell_under(ball);
        }
        was_dying = g.dying;
    }
    outcome.finished = g.won;
    outcome.final_state_hash = state_hash(g);
    outcome.lives_lost = 5 - g.lives;
    if (g.won) {
        outcome.failure.clear();
        outcome.place.reset();
        outcome.seconds = g.splits.finish;
        outcome.flips_used = flips;
    }
    return outcome;
}

}  // namespace quillomar
