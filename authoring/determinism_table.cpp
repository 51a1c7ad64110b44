#include "authoring/determinism_table.h"

#include "authoring/level_grid.h"
#include "authoring/route_planner.h"
#include "authoring/route_player.h"
#include "game/game_core.h"
#include "game/recording.h"
#include "game/state_hash.h"

namespace quillomar {
namespace {

// A game set up as the checking player sets up its own, so that the replay starts from the same
// world.
void start_like_the_player(game_core& core, const level& as_read) {
    core.use_level(as_read);
    core.state.simulate_burst = false;
    core.place_items();
    core.place_enemies();
    core.init_ball();
    core.init_cameras();
    core.create_physics();
}

}  // namespace

determinism_row determinism_row_of(const level& as_read, const std::string& name, steering how) {
    determinism_row row;
    row.level = how == steering::direct ? name + " direct" : name;
    const route_plan plan = plan_route(make_level_grid(as_read));
    if (!plan.found) {
        return row;
    }
    play_outcome played = play_route(as_read, plan, nullptr, how);
    row.recorded_ticks = static_cast<long>(played.frames.size());
    row.recorded_hash = played.final_state_hash;

    recording run;
    run.level_key = std::string(16, '0');  // any key: this replay is matched to no file
    run.steering = how;
    run.frames = std::move(played.frames);
    const std::optional<recording> read_back = parse_recording(format_recording(run));
    if (!read_back) {
        return row;
    }
    game_core core;
    start_like_the_player(core, as_read);
    for (const frame_input& frame : read_back->frames) {
        core.step(frame);
        ++row.ticks;
        if (core.state.won || core.state.lost) {
            break;
        }
    }
    row.finished = core.state.won;
    row.hash = state_hash(core.state);
    return row;
}

std::string determinism_line(const determinism_row& row) {
    const std::string end = std::to_string(row.ticks) + " " + hash_text(row.hash);
    if (row.ticks != row.recorded_ticks || row.hash != row.recorded_hash) {
        return row.level + " replay differs: recorded " + std::to_string(row.recorded_ticks) + " " +
               hash_text(row.recorded_hash) + ", replayed " + end;
    }
    return row.level + (row.finished ? " " : " unfinished ") + end;
}

int write_determinism_table(const level_set& set, std::ostream& out) {
    int status = 0;
    for (const level_set_entry& entry : set) {
        level as_read;
        if (!as_read.read_file(entry.path)) {
            out << entry.path << " unreadable\n" << std::flush;
            status = 1;
            continue;
        }
        for (const steering how : {steering::classic, steering::direct}) {
            const determinism_row row = determinism_row_of(as_read, entry.path, how);
            out << determinism_line(row) << '\n' << std::flush;
            if (!row.finished || row.ticks != row.recorded_ticks ||
                row.hash != row.recorded_hash) {
                status = 1;
            }
        }
    }
    return status;
}

}  // namespace quillomar
