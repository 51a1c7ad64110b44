#include "server/server_determinism.h"

#include "authoring/determinism_table.h"
#include "authoring/level_grid.h"
#include "authoring/route_planner.h"
#include "authoring/route_player.h"
#include "framework/asset_paths.h"
#include "framework/bounded_read.h"
#include "game/recording.h"
#include "level/level_limits.h"
#include "records/records_store.h"
#include "server/run_verification.h"

#include <sstream>

namespace quillomar::server {

int write_server_determinism_table(const level_set& set, std::ostream& out) {
    int status = 0;
    for (const level_set_entry& entry : set) {
        std::string text;
        if (!read_bounded(platform_path(entry.path), max_level_file_bytes, text).ok()) {
            out << entry.path << " unreadable\n" << std::flush;
            status = 1;
            continue;
        }
        level as_read;
        std::istringstream in(text);
        as_read.read_stream(in, entry.path);
        const route_plan plan = plan_route(make_level_grid(as_read));
        for (const steering how : {steering::classic, steering::direct}) {
            determinism_row row;
            row.level = how == steering::direct ? entry.path + " direct" : entry.path;
            if (plan.found) {
                play_outcome played = play_route(as_read, plan, nullptr, how);
                row.recorded_ticks = static_cast<long>(played.frames.size());
                row.recorded_hash = played.final_state_hash;
                recording run;
                run.level_key = level_key(text);
                run.steering = how;
                run.frames = std::move(played.frames);
                const run_verdict verdict = verify_run(text, format_recording(run));
                row.finished = verdict.finished;
                row.ticks = verdict.ticks;
                row.hash = verdict.hash;
            }
            out << determinism_line(row) << '\n' << std::flush;
            if (!row.finished || row.ticks != row.recorded_ticks ||
                row.hash != row.recorded_hash) {
                status = 1;
            }
        }
    }
    return status;
}

}  // namespace quillomar::server
