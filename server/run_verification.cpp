#include "server/run_verification.h"

#include <cmath>
#include <optional>
#include <sstream>

#include "game/game_core.h"
#include "game/recording.h"
#include "game/state_hash.h"
#include "game/tick_clock.h"
#include "records/records_store.h"

namespace quillomar::server {
namespace {

run_verdict refused(std::string reason) {
    run_verdict verdict;
    verdict.reason = std::move(reason);
    return verdict;
}

// The time of a result line is written as the shortest decimal that reads back exactly; allow
// for a client that rounded it to a thousandth.
bool same_time(double claimed, double measured) { return std::fabs(claimed - measured) < 0.0005; }

}  // namespace

run_verdict verify_run(std::string_view level_text, std::string_view recording_text) {
    if (recording_text.size() > max_recording_bytes) {
        return refused("the recording is larger than " + std::to_string(max_recording_bytes) +
                       " bytes");
    }
    if (recording_text.empty()) {
        return refused("the recording is empty");
    }
    std::string why;
    bool cut_short = false;
    const std::optional<recording> run = parse_recording(recording_text, &why, &cut_short);
    if (!run) {
        return refused("the recording is damaged: " + why);
    }
    if (cut_short) {
        return refused("the recording is longer than an hour of play");
    }
    if (run->version != 2) {
        return refused("the recording was not recorded tick by tick");
    }
    if (run->level_key != level_key(level_text)) {
        return refused("the recording is a run of another level");
    }

    game_core core;
    {
        std::istringstream in{std::string(level_text)};
        level loaded;
        loaded.read_stream(in, "level");
        if (!loaded.playable()) {
            return refused("the level has nothing to play on");
        }
        core.use_level(loaded);
    }
    // Nobody watches: the burst changes nothing in play.
    core.state.simulate_burst = false;
    core.place_items();
    core.place_enemies();
    core.init_ball();
    core.init_cameras();
    core.create_physics();
    game_state& s = core.state;

    run_verdict verdict;
    for (frame_input frame : run->frames) {
        frame.time = tick_time(++verdict.ticks);
        core.step(frame);
        if (s.won || s.lost) {
            break;
        }
    }
    verdict.hash = state_hash(s);
    if (!s.won) {
        verdict.reason = s.lost ? "the run loses every life" : "the run ends before the finish";
        return verdict;
    }
    verdict.seconds = s.finish_time - s.play_started;
    verdict.lives_lost = 5 - s.lives;
    if (run->result && (!same_time(run->result->seconds, verdict.seconds) ||
                        run->result->lives_lost != verdict.lives_lost)) {
        verdict.reason = "the recording claims " + std::to_string(run->result->seconds) +
                         " s but replays to " + std::to_string(verdict.seconds) + " s";
        return verdict;
    }
    verdict.finished = true;
    return verdict;
}

}  // namespace quillomar::server
