// The desktop's side of the browser test: the checking player plays a level along its planned
// route, its run is saved as a recording, and that recording is played into a fresh game; the
// tick on which it reaches the finish is printed, as the browser build prints it when it plays
// the same recording in the page. With --replay it plays a recording made elsewhere (in the
// page) instead, so that the two sides can be compared the other way round.
//
//   replay_finish LEVEL_FILE RECORDING_OUT
//   replay_finish --replay LEVEL_FILE RECORDING
//
// prints "finish tick N" and exits 0, or one line saying what failed and exits 1.
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "authoring/level_grid.h"
#include "authoring/route_planner.h"
#include "authoring/route_player.h"
#include "game/game_core.h"
#include "game/recording.h"
#include "game/tick_clock.h"
#include "records/records_store.h"

int main(int argc, char** argv) {
    using namespace quillomar;
    const bool replay_given = argc == 4 && std::string(argv[1]) == "--replay";
    if (argc != 3 && !replay_given) {
        std::cerr << "usage: replay_finish LEVEL_FILE RECORDING_OUT\n"
                     "       replay_finish --replay LEVEL_FILE RECORDING"
                  << std::endl;
        return 2;
    }
    const std::string level_file = argv[replay_given ? 2 : 1];
    const std::string recording_file = argv[replay_given ? 3 : 2];
    std::ifstream in(level_file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        std::cerr << "replay_finish: cannot read " << level_file << std::endl;
        return 1;
    }

    game_core core;
    if (!core.read_level(level_file)) {
        std::cerr << "replay_finish: no level to play in " << level_file << std::endl;
        return 1;
    }
    recording run;
    if (replay_given) {
        std::optional<recording> read = load_recording(recording_file);
        if (!read) {
            std::cerr << "replay_finish: cannot read the recording " << recording_file << std::endl;
            return 1;
        }
        if (read->level_key != level_key(text.str()) || read->version != run.version) {
            std::cerr << "replay_finish: " << recording_file << " is not a run of " << level_file
                      << " recorded tick by tick" << std::endl;
            return 1;
        }
        run = std::move(*read);
    } else {
        const level as_read = core.state.level;
        const play_outcome played = play_route(as_read, plan_route(make_level_grid(as_read)));
        if (!played.finished) {
            std::cerr << "replay_finish: the checking player did not finish: " << played.failure
                      << std::endl;
            return 1;
        }
        run.level_key = level_key(text.str());
        run.steering = played.steering;
        run.frames = played.frames;
        if (!save_recording(run, recording_file)) {
            return 1;
        }
    }

    // Played back as the game plays a recording: one record a tick, at the tick's time.
    core.place_items();
    core.place_enemies();
    core.init_ball();
    core.init_cameras();
    core.create_physics();
    long tick = 0;
    for (frame_input frame : run.frames) {
        frame.time = tick_time(++tick);
        core.step(frame);
        if (core.state.won) {
            std::cout << "finish tick " << tick << std::endl;
            return 0;
        }
    }
    std::cerr << "replay_finish: the recording ends before the finish" << std::endl;
    return 1;
}
