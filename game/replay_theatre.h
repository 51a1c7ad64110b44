// Watching a recorded run as a game that can be paused, slowed down or sped up, stepped tick by
// tick and sought in both directions, and taken over at any moment for practice. Plain C++: the
// shell's theatre mode draws it and maps keys to it.
//
// Seeking backwards re-simulates from the start of the run with the headless step. The world
// cannot be copied exactly: Bullet keeps contact caches, warm-starting impulses, pair order and a
// sub-step remainder inside its world that no saved pose restores, and a state off by one bit
// drifts into another run within seconds. Stepping the recorded ticks again from the level as
// loaded is the one way that lands on the very state the run had, and it is fast (the ghost's
// run is computed the same way while a level starts).
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/game_core.h"
#include "game/recording.h"
#include "level/level.h"
#include "records/statistics_store.h"

namespace quillomar {

// A fresh game on `loaded` (a level as read, items and spiders placed), before any tick; with
// `cell`, the ball drops onto the middle of that cell instead of the start, facing as it would
// on the start.
std::unique_ptr<game_core> fresh_core(const level& loaded,
                                      const std::optional<level_cell>& cell = std::nullopt);

// The game time of frame `index` of `run`: tick index + 1 for a ticked recording, the frame's
// own time for one recorded frame by frame.
double frame_time(const recording& run, std::size_t index);

// Where a practice run starts: the level, the ticks played before the takeover and, for a
// practice started from the level list, the cell the ball drops onto.
struct practice_start {
    level loaded;
    recording before;
    std::optional<level_cell> cell;
};

// The cells a practice of `lvl` may start from: those the ball has stood on that hold a cube,
// in the statistics' order (by column, then row).
std::vector<level_cell> practice_cells(const level& lvl, const level_statistics& counted);

// The game exactly as it stood at the takeover: `before` stepped into a fresh core.
std::unique_ptr<game_core> build_practice(const practice_start& start);

// One event of the run for the HUD: when it happened and what.
struct theatre_event {
    std::size_t frame = 0;
    double play_seconds = 0.0;  // from the first tick of play
    std::string text;
};

class replay_theatre {
public:
    static constexpr double slowest = 0.25;
    static constexpr double fastest = 4.0;

    replay_theatre(const level& loaded, recording run);

    // Frames in the run, and frames played so far (the state is after frame position() - 1).
    std::size_t length() const { return run_.frames.size(); }
    std::size_t position() const { return position_; }
    // Game seconds from the run's first frame to the current one, and the whole run's.
    double seconds() const;
    double total_seconds() const;
    // The run's own time of play, from its first tick of play to the finish: the time it
    // records when it is a best run, else the whole run's.
    double run_seconds() const;
    // The time of play so far as the run's clock shows it: stopped at the finish.
    double play_seconds() const;

    bool paused() const { return paused_; }
    void set_paused(bool paused) { paused_ = paused; }
    double speed() const { return speed_; }
    // Halves or doubles the speed, within slowest and fastest.
    void slower();
    void faster();

    // Plays on for `wall_seconds` of the watcher's time at the speed, unless paused or at the
    // end. Whole ticks only; the rest carries over. Returns the frames stepped.
    int advance(double wall_seconds);
    // One frame forward, also while paused.
    void step();
    // To the state after `frame` frames (clamped to the run): forward by stepping on, backward
    // by stepping again from the start.
    void seek(std::size_t frame);

    const game_core& core() const { return *core_; }
    game_core& core() { return *core_; }
    const recording& run() const { return run_; }
    // The notable events up to the current frame, oldest first.
    const std::vector<theatre_event>& events() const { return events_; }

    // Whether the run can be taken over: a ticked recording (one recorded frame by frame runs
    // on its own clock, which play cannot go on from).
    bool can_take_over() const { return run_.version == 2; }
    // The game as it stands, handed over to be played on, and where that practice started. The
    // theatre then stands at the start of the run again.
    std::unique_ptr<game_core> take_over(practice_start& start);

private:
    void restart();
    void step_frame();

    level loaded_;
    recording run_;
    std::unique_ptr<game_core> core_;
    std::size_t position_ = 0;
    std::vector<theatre_event> events_;
    bool paused_ = false;
    double speed_ = 1.0;
    double carried_ = 0.0;  // game seconds due but not yet a whole frame
};

// A replay the theatre can list: a level's best run beside the records, or a recording.
struct replay_entry {
    std::string path;
    std::string title;  // the level's title once known; until then the file's
    bool best_run = false;
    // Filled in by the shell where known: the run's time of play, the medal it earned ("gold"),
    // when the file was last written (seconds since 1970, 0 when unknown) and that day as the
    // player's calendar has it ("2026-12-10").
    std::optional<double> seconds;
    std::string medal;
    long long written = 0;
    std::string date;
};

// Newest first; runs written at the same second by title, then by file.
void sort_replays(std::vector<replay_entry>& entries);

// What the list shows beside an entry's title: its time (or "-"), medal and date.
std::string replay_details(const replay_entry& entry);

// The best run of every level (`records_folder`/<key>.replay), titled by the level's name in
// `records`' names when known, then every file in `recordings_folder`, by name. Reads no file.
std::vector<replay_entry> list_replays(const std::string& records_folder,
                                       const std::string& recordings_folder,
                                       const std::vector<std::pair<std::string, std::string>>&
                                           names_by_key);

// The first of `candidates` (game paths) whose content has `key`; empty when none has.
std::string level_file_for_key(const std::string& key, const std::vector<std::string>& candidates);

// Where `--record` without a file puts a run started at the given local time:
// `folder`/YYYY-MM-DD_HH-MM-SS.replay, with -2, -3, ... before the extension when taken.
std::string dated_recording_path(const std::string& folder, int year, int month, int day,
                                 int hour, int minute, int second);

}  // namespace quillomar
