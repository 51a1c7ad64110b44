// One run of a level as the shell plays it: the game core, its clock of ticks, this run's
// recording, a recording played instead of the keys, the best run's ghost, practice, and what the
// run counts into the player's statistics and records. Play, the pause menu, the preview, the
// overview and the win panel all show the same session; the screen that plays it owns it.
#pragma once

#include <atomic>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include "game/drawn_pose.h"
#include "game/game_core.h"
#include "game/ghost_run.h"
#include "game/hud_lines.h"
#include "game/recording.h"
#include "game/replay_theatre.h"
#include "game/run_statistics.h"
#include "game/tick_clock.h"

namespace quillomar {

class quillomar_game;

class play_session {
public:
    // How the run counts: a player's run keeps records and statistics; a play-test from the
    // editor keeps neither and races no ghost.
    enum class kind { player, play_test };

    // The level at `path` read afresh (a file that gives no level leaves a session with nothing
    // to play, as the game shows it).
    static std::unique_ptr<play_session> of_file(const std::string& path, kind k = kind::player);
    // A core already built (the level read at start-up, a play-test, a practice).
    play_session(std::unique_ptr<game_core> core, std::string level_path, kind k);
    ~play_session();
    play_session(const play_session&) = delete;
    play_session& operator=(const play_session&) = delete;

    // Starts the run: the ghost of the level's best run, if it has one, is computed on a thread
    // of its own.
    void begin(quillomar_game& game);
    // One frame of play at wall time `now`: the ticks due, each with the frame's input.
    void step(quillomar_game& game, double now);
    // The clock stands still from now until go_on: paused time is no time of play.
    void hold();
    void go_on();
    // Draws the world between its last two ticks; `darkened` under a menu, with only `lines`;
    // with the heading arrow ahead of the ball when asked.
    void draw(quillomar_game& game, const std::vector<hud_line>& lines, bool darkened,
              bool with_arrow = false);
    // Ends the run's statistics and writes the recording asked for with --record.
    void end(quillomar_game& game);

    game_core& core() { return *core_; }
    // The level as its file was read, before its items and spiders were placed (a session read
    // from a file only; null otherwise).
    const level* as_read() const { return as_read_ ? &*as_read_ : nullptr; }
    const game_state& state() const { return core_->state; }
    const std::string& level_path() const { return level_path_; }
    const std::string& level_key() const { return run_.level_key; }
    const recording& run() const { return run_; }
    long ticks() const { return run_ticks_; }
    bool play_test() const { return kind_ == kind::play_test; }
    // The won run's ticket with the record server's client; empty when it was not sent.
    const std::string& online_ticket() const { return online_ticket_; }

    // A recording played instead of the keys (--replay): false, with a console line, when it is of
    // another level.
    bool play_recording(const std::string& path);
    bool replaying() const { return replay_.has_value(); }
    // Practice from a moment of a replay, or from a cell: counts nowhere, R returns there.
    void practise(practice_start start);
    bool practising() const { return practice_.has_value(); }
    // The cell a practice from the level list drops the ball onto; nothing otherwise.
    std::optional<level_cell> practice_cell() const {
        return practice_ ? practice_->cell : std::nullopt;
    }
    // Runs slower against the wall clock (1 is full speed); an assisted run keeps no record.
    void set_speed(double speed, double now);
    // Whether any part of the run went slower than full speed.
    bool assisted() const { return assisted_; }

    const ghost_run* ghost() const { return ghost_ ? &*ghost_ : nullptr; }
    void wait_for_ghost();
    bool show_ghost = true;
    // R asks for a new attempt (a game started from the title menu) rather than costing a life:
    // the tick with the press does not run, and retry_wanted says so.
    bool retry_on_restart = false;
    bool retry_wanted() const { return retry_wanted_; }
    // Whether this run counts for records and statistics.
    bool counts() const;

private:
    void run_tick(quillomar_game& game, const frame_input& input);
    void keep_a_won_run(quillomar_game& game);
    void take_ghost_when_ready();
    void restart_practice(quillomar_game& game);
    std::optional<glm::mat4> ghost_matrix(double offset) const;
    double game_time(double now) const;

    std::unique_ptr<game_core> core_;
    std::optional<level> as_read_;
    std::string level_path_;
    kind kind_;
    recording run_;
    std::string online_ticket_;
    std::optional<recording> replay_;
    std::size_t replayed_ = 0;
    std::optional<practice_start> practice_;
    run_statistics run_statistics_;
    tick_clock clock_;
    long run_ticks_ = 0;
    frame_input pending_;  // presses and the pointer's steer not yet handed to a tick
    pointer_steer pointer_;
    drawn_pose previous_pose_;
    bool has_previous_pose_ = false;
    double wall_time_ = 0.0;  // the latest frame's time of play
    // At full speed the clock of play is the wall clock less the time held, exactly, so a run
    // ticks as it always did; slower, it goes on from the last frame's time by a share of the
    // wall time since.
    double held_seconds_ = 0.0;
    std::optional<double> held_since_;
    double speed_ = 1.0;
    bool assisted_ = false;
    bool retry_wanted_ = false;
    std::optional<double> last_now_;
    std::future<ghost_run> ghost_future_;
    std::shared_ptr<std::atomic<bool>> ghost_cancel_;
    std::optional<ghost_run> ghost_;
};

}  // namespace quillomar
