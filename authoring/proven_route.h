// A level's route proven in the real physics: the checking player's run from start to finish,
// kept as its ticks (to play it again: the title screen's attract mode) and as the ball's path
// (to fly a camera along it: the level's preview), with its time of play, from which the
// level's medal times come. A cache keyed by the level's content computes each route once, on a
// thread of its own, so no frame waits for one.
#pragma once

#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "game/commands.h"
#include "level/level.h"

namespace quillomar {

struct proven_route {
    bool finished = false;
    double seconds = 0.0;            // time of play at the finish
    std::vector<frame_input> ticks;  // one record a tick, as a recording holds them
    std::vector<glm::vec3> path;     // the ball's centre at each tick of play
};

// Plans the route over `as_read` (a level as read, before its items and spiders are placed) and
// plays it; unfinished when there is no route, the player fails, or `cancel` is set.
proven_route prove_route(const level& as_read, const std::atomic<bool>* cancel = nullptr);

class route_cache {
public:
    route_cache();
    // Stops every computation still running; their threads end on their own.
    ~route_cache();
    route_cache(const route_cache&) = delete;
    route_cache& operator=(const route_cache&) = delete;

    // Starts proving the route of the level with content key `key` unless it is known or on its
    // way.
    void request(const std::string& key, const level& as_read);
    // The route once proven (finished or not); null while it is computed or never asked for.
    const proven_route* find(const std::string& key);
    // Waits for the route of `key` if it is being computed (tests and tools).
    const proven_route* wait(const std::string& key);

private:
    std::shared_ptr<std::atomic<bool>> cancel_;
    std::map<std::string, std::future<proven_route>> running_;
    std::map<std::string, proven_route> known_;
};

}  // namespace quillomar
