// A patient player that follows a planned route in the real game, headless: it pushes and turns
// the ball with the player's own commands, stops to flip where the route flips, takes a straight
// run-up before a jump, and starts the route again after losing a life. A level counts as
// finishable only when this player reaches the finish.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "authoring/route_planner.h"
#include "game/commands.h"
#include "game/recording.h"
#include "level/level.h"

namespace quillomar {

struct play_outcome {
    bool finished = false;
    double seconds = 0.0;  // time of play at the finish
    int lives_lost = 0;
    int flips_used = 0;  // in the run that finished
    // Why it did not finish, as the check prints it; empty when it did.
    std::string failure;
    // The cell the failure names: where the ball fell, was caught or got stuck.
    std::optional<grid_cell> place;
    std::vector<frame_input> frames;  // every tick's record, for a replay
    ::quillomar::steering steering = ::quillomar::steering::direct;  // how those ticks turn
    std::uint64_t final_state_hash = 0;  // state_hash after the last tick, for the replay to match
};

// Plays the level (as read, before placing) along the route's cells, turning as `how` steers;
// gives up, unfinished, as soon as `cancel` is set.
play_outcome play_route(const level& lvl, const route_plan& plan,
                        const std::atomic<bool>* cancel = nullptr,
                        steering how = steering::direct);

}  // namespace quillomar
