// What the server knows of a submitted run once it has played it: the recording is replayed tick
// by tick into a fresh game on the level, with the same core the game plays, and only the ticks
// it took to the finish count. Nothing the recording says about its own time is believed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillomar::server {

struct run_verdict {
    bool finished = false;
    long ticks = 0;        // ticks played to the finish (or until the recording ran out)
    double seconds = 0.0;  // time of play at the finish, as the game's win screen shows it
    int lives_lost = 0;
    std::uint64_t hash = 0;  // state_hash after the last tick played, as the determinism table has it
    std::string reason;  // why the run does not count; empty when it does
};

// Replays `recording_text` (a recording file's text) on the level whose file text is
// `level_text`. A recording of another level, a damaged one, one longer than the recording cap,
// one that ends before the finish, and one whose own result line disagrees with the replay are
// refused with the reason. Bounded by the recording cap of ticks; reads no file and no clock.
run_verdict verify_run(std::string_view level_text, std::string_view recording_text);

}  // namespace quillomar::server
