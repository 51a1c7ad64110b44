// The one concrete game: the shell that joins the window's clock and keys, the game core, the
// renderer, the sound and the console. Each frame it reads the clock and the input once, steps
// the core, lets the sound and the console react to the events, and draws the new state.
#pragma once

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/asset_paths.h"
#include "render/asset_preload.h"
#include "framework/qlmFramework.h"
#include "game/game_core.h"
#include "game/drawn_pose.h"
#include "game/ghost_run.h"
#include "game/hud_lines.h"
#include "game/level_set.h"
#include "game/recording.h"
#include "game/replay_theatre.h"
#include "game/run_statistics.h"
#include "game/tick_clock.h"
#include "records/statistics_store.h"

namespace quillomar {

class edit_mode;
class frame_renderer;
class key_input;
class menu_mode;
class sound_engine;
class theatre_mode;

// Who has the frame's input: the game itself, the menus (shell/menu_mode.h) or the level editor
// (shell/edit_mode.h). Editing keeps its edit_mode through a play-test, which is play mode until
// it ends.
enum class shell_mode { play, menu, edit };

class quillomar_game : public game {
public:
    quillomar_game();
    ~quillomar_game() override;
    quillomar_game(const quillomar_game&) = delete;
    quillomar_game& operator=(const quillomar_game&) = delete;

    // Starts reading the models, images and sound device on worker threads.
    void prepare() override;
    void startup() override;
    // Reads the clock and the input and steps the core once; while paused, only the window's own
    // keys are read and the game's clock stands still.
    void update() override;
    void shutdown() override;
    // One whole frame: update, then every pass of the picture.
    void render() override;
    // Escape presses counted since the last frame, so a tap between two polls ends the game too;
    // in a menu Escape goes back, and only the menu's Quit ends the game.
    bool quit_requested() override;
    bool escape_ends_game() override;
    // The saved settings win over config.txt.
    void choose_window(window_config& config) override;

    const game_state& state() const { return core_->state; }
    // Paused while a menu is shown (the Pause key, the window losing the focus), the level list
    // is open or the replay theatre is.
    bool paused() const { return mode_ == shell_mode::menu || list_open_ || theatre_open(); }
    shell_mode mode() const { return mode_; }
    menu_mode& menus() { return *menus_; }
    game_core& core() { return *core_; }
    // The shell's keys; null before startup.
    key_input* keys() { return keys_.get(); }
    // The level list while it is open: its rows and the one chosen.
    bool level_list_open() const { return list_open_; }
    const std::vector<level_list_row>& level_list() const { return list_rows_; }
    std::size_t level_list_choice() const { return list_choice_; }
    // How many of the list's rows are drawn at once: a long set scrolls, so it costs a frame no
    // more than a short one.
    static constexpr std::size_t level_list_rows_shown = 10;
    // The best run's ghost once it has been computed, and whether G shows it.
    const ghost_run* ghost() const { return ghost_ ? &*ghost_ : nullptr; }
    bool ghost_shown() const { return show_ghost_; }
    // Waits for the ghost's computation, if one runs (tests and tools).
    void wait_for_ghost();

    // The replay theatre (T): the list of best runs and recordings, and the one being watched.
    void open_replays();
    bool theatre_open() const;
    theatre_mode* theatre() { return theatre_.get(); }
    // A practice run (taken over from a replay, or started at a cell from the level list, P):
    // it never counts for records or statistics, and R returns to where it started.
    bool practising() const { return practice_.has_value(); }
    // Practice on the level at `path` with the ball dropped onto `cell`.
    void practice_at_cell(const std::string& path, const level_cell& cell);
    // The fall map over the level drawn (H).
    void show_fall_map(bool shown) { fall_map_shown_ = shown; }
    bool fall_map_shown() const { return fall_map_shown_; }
    // The player's statistics, read when first needed.
    statistics_store& statistics();
    // The cell the level list's practice starts on for the chosen level, if it has any.
    std::optional<level_cell> practice_cell() const;

    // The HUD lines the shell adds to the game's own: the pause, what Enter does once the game
    // is over, and the level list.
    std::vector<hud_line> shell_hud_lines() const;
    // Null until startup has run, and after shutdown.
    frame_renderer* renderer() { return renderer_.get(); }
    // The level editor while a level is edited (and play-tested); null otherwise.
    edit_mode* editor() { return editor_.get(); }

    // Not game rules: where the level is read from (tools and tests pick other levels), the
    // sound device to open (empty for the system's default), and, when set, where each frame's
    // input comes from instead of the window's keys.
    std::string level_path = assets::level_file;
    // The ordered level set Enter and the level list walk through.
    std::string level_set_path = level_order_file;
    // --edit: the level file the game opens in the editor instead of playing; empty to play.
    std::string edit_path;
    std::string sound_device;
    // Where to write this run's frame records at shutdown, and a recording to play instead of
    // the keys; empty when not asked.
    std::string record_path;
    std::string replay_path;
    // Start in the title menu (--menu) rather than straight in the level.
    bool start_in_menu = false;
    std::function<frame_input(double time)> input_source;
    // The events of the latest step, for tests and tools to observe.
    game_events last_events;

private:
    void keep_a_won_run();
    void handle_window_actions();
    void open_menu(bool title);
    // Carries out what the menu asks for.
    void run_menu();
    void open_level_list();
    void handle_level_list(int up, int down, int confirm);
    void play_level(const std::string& path);
    // Adds the level list's generated rows: a random seed's level and the level of the day.
    void add_generated_rows(const records_store& records);
    void play_generated(std::uint64_t seed);
    // Starts the run of the level in core_; a play-test keeps no records and races no ghost.
    void begin_run(bool with_records = true);
    void open_editor(const std::string& path);
    void update_editor();
    void start_play_test();
    void return_to_editor(const std::string& how);
    void take_ghost_when_ready();
    void end_run_statistics();
    void begin_practice(const std::string& path, practice_start start,
                        std::unique_ptr<game_core> core);
    void restart_practice();
    void set_fall_map_cells(const std::string& level_key);
    const level_set& levels() const;
    // The ghost at the time of play shifted by `offset` seconds (the picture's place between ticks).
    std::optional<glm::mat4> ghost_matrix(double offset) const;
    // One tick of the world with `input`: recorded, stepped, its events told to the console and
    // the sound, a win kept.
    void run_tick(const frame_input& input);

    std::unique_ptr<game_core> core_ = std::make_unique<game_core>();
    // Read when first needed: a game that is never won or listed never opens the order file.
    mutable std::optional<level_set> level_set_;
    mutable std::vector<std::string> level_keys_;
    bool list_open_ = false;
    std::vector<level_list_row> list_rows_;
    std::size_t list_choice_ = 0;
    // The seeds of the list's generated rows, chosen when it opens.
    std::uint64_t random_seed_ = 0;
    std::uint64_t day_seed_ = 0;
    std::future<ghost_run> ghost_future_;
    std::shared_ptr<std::atomic<bool>> ghost_cancel_;
    std::optional<ghost_run> ghost_;
    bool show_ghost_ = true;
    recording run_;
    std::optional<recording> replay_;
    std::size_t replayed_ = 0;
    shell_mode mode_ = shell_mode::play;
    std::unique_ptr<menu_mode> menus_;
    bool was_focused_ = true;
    bool quit_from_menu_ = false;
    double pause_began_ = 0.0;
    double paused_seconds_ = 0.0;  // wall time spent paused, taken off the game's clock
    tick_clock clock_;
    double wall_time_ = 0.0;  // the latest frame's time, paused time taken off
    long run_ticks_ = 0;      // ticks of this run: tick n of a run is at tick_time(n)
    frame_input pending_;     // presses not yet handed to a tick
    drawn_pose previous_pose_;  // the world as the tick before the last left it
    bool has_previous_pose_ = false;
    // What prepare started; startup takes it, or loads everything itself when prepare never ran.
    std::future<preloaded_assets> preload_;
    std::future<std::unique_ptr<sound_engine>> sound_ready_;
    std::unique_ptr<frame_renderer> renderer_;
    std::unique_ptr<key_input> keys_;
    std::unique_ptr<sound_engine> sound_;
    std::unique_ptr<edit_mode> editor_;
    std::string edited_level_key_;  // the level as opened, whose fall map the editor shows
    double edit_began_ = 0.0;  // editing time, like paused time, is taken off the game's clock
    std::unique_ptr<theatre_mode> theatre_;
    std::optional<practice_start> practice_;
    std::optional<statistics_store> statistics_;
    run_statistics run_statistics_;
    bool fall_map_shown_ = false;
    std::size_t practice_cell_choice_ = 0;
};

}  // namespace quillomar
