#include "authoring/proven_route.h"

#include <chrono>

#include "actors/level_actors.h"
#include "authoring/level_grid.h"
#include "authoring/route_planner.h"
#include "authoring/route_player.h"
#include "game/ghost_run.h"
#include "game/recording.h"
#include "game/tick_clock.h"

namespace quillomar {

proven_route prove_route(const level& as_read, const std::atomic<bool>* cancel) {
    proven_route route;
    const route_plan plan = plan_route(make_level_grid(as_read));
    if (!plan.found || (cancel && cancel->load())) {
        return route;
    }
    play_outcome played = play_route(as_read, plan, cancel);
    if (!played.finished || (cancel && cancel->load())) {
        return route;
    }
    level placed = as_read;
    placed.place_items();
    place_enemies(placed);
    recording run;
    run.steering = played.steering;
    run.frames = played.frames;
    const ghost_run again = simulate_run(placed, run, cancel);
    route.path.reserve(again.poses.size());
    for (const ghost_pose& pose : again.poses) {
        route.path.push_back(pose.position);
    }
    route.finished = true;
    route.seconds = played.seconds;
    route.ticks = std::move(played.frames);
    return route;
}

route_cache::route_cache() : cancel_(std::make_shared<std::atomic<bool>>(false)) {}

route_cache::~route_cache() {
    cancel_->store(true);
}

void route_cache::request(const std::string& key, const level& as_read) {
    if (key.empty() || known_.count(key) > 0 || running_.count(key) > 0) {
        return;
    }
    running_[key] = std::async(std::launch::async, [as_read, cancel = cancel_] {
        return prove_route(as_read, cancel.get());
    });
}

const proven_route* route_cache::find(const std::string& key) {
    const auto known = known_.find(key);
    if (known != known_.end()) {
        return &known->second;
    }
    const auto running = running_.find(key);
    if (running == running_.end() ||
        running->second.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        return nullptr;
    }
    proven_route& kept = known_[key] = running->second.get();
    running_.erase(running);
    return &kept;
}

const proven_route* route_cache::wait(const std::string& key) {
    const auto running = running_.find(key);
    if (running != running_.end()) {
        running->second.wait();
    }
    return find(key);
}

}  // namespace quillomar
