// A run as the frame records that drove it. The core is deterministic, so playing the same
// records into a fresh game on the same level gives the same game: the same events, the same
// console log, the same end at the same game time.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/commands.h"
#include "game/steering.h"

namespace quillomar {

// How a won run ended, carried by a level's best run so that the run alone is enough to restore
// its record.
struct run_result {
    double seconds = 0.0;  // time of play at the finish
    int lives_lost = 0;
};

struct recording {
    std::string level_key;  // level_key() of the level file's content
    std::vector<frame_input> frames;
    // 2: one frame a tick, tick n at tick_time(n + 1) (how the game records). 1: one frame a drawn
    // frame, each with its own time (how it recorded before it ticked); still played as it was.
    int version = 2;
    // A level's best run only: how it ended.
    std::optional<run_result> result = std::nullopt;
    // How the run was steered (version 2): a recording says so when it steered directly.
    ::quillomar::steering steering = ::quillomar::steering::classic;
};

// Version 2, one line each, every line ending in "\n":
//   quillomar-recording 2
//   level <key>
//   [steering direct]                                          (a run steered directly)
//   [result <seconds, shortest exact decimal> <lives lost>]   (a best run's only)
//   <held commands as a hex bit mask> [<command index>x<presses> ...]
//       [s<steer>]   (only when not 0: thousandths of a degree, left positive)
//       [a<push amount>,<turn amount>]   (only when either is below 255)
// one line a tick. Version 1 has the header "quillomar-recording 1" and each frame line starts
// with its time as a C hex float. parse_recording reads back exactly what format_recording
// writes, of either version; anything else gives nothing and the reason in `why`.
// A run longer than an hour is read only up to its first hour; `cut_short` tells when the text
// held more.
inline constexpr std::size_t max_recording_ticks = 3600 * 60;
inline constexpr std::size_t max_recording_frames = 3600 * 240;  // version 1: at 240 frames/s
// An hour's version-1 frames take about 30 bytes each.
inline constexpr std::size_t max_recording_bytes = std::size_t{64} << 20;

std::string format_recording(const recording& run);
std::optional<recording> parse_recording(std::string_view text, std::string* why = nullptr,
                                         bool* cut_short = nullptr);

// Writes the recording atomically (a temporary file beside it, then a rename). Prints one line
// and returns false when that fails.
bool save_recording(const recording& run, const std::string& path);

// Reads a recording file; prints one line naming the file and gives nothing when it is missing,
// not a regular file or damaged. A file beyond the limits gives its first hour, with one line.
std::optional<recording> load_recording(const std::string& path);

}  // namespace quillomar
