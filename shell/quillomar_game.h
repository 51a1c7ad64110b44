// The one concrete game: the shell that joins the window's clock and keys, the game core, the
// renderer, the sound and the console. It keeps a stack of screens (shell/screen.h) and runs the
// frame loop: each frame the screen on top takes the input, steps what it shows and draws it.
// What several screens share (the renderer, the keys, the sound, the settings, the level set,
// the statistics, the proven routes) lives here; what one screen uses, that screen owns.
#pragma once

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/asset_paths.h"
#include "framework/qlmFramework.h"
#include "game/game_core.h"
#include "game/hud_lines.h"
#include "game/level_set.h"
#include "game/scene_camera.h"
#include "records/statistics_store.h"
#include "render/asset_preload.h"
#include "shell/play_session.h"
#include "authoring/proven_route.h"
#include "game/hud_layout.h"
#include "shell/screen.h"

namespace quillomar {

class edit_mode;
class frame_renderer;
class online_client;
class key_input;
class menu_mode;
class sound_engine;
class theatre_mode;

// A seed short enough to read off the screen and type after --generate.
std::uint64_t random_level_seed();
// The local date as YYYYMMDD: everyone plays the same level on the same day.
std::uint64_t level_of_the_day_seed();

class quillomar_game : public game {
public:
    quillomar_game();
    ~quillomar_game() override;
    quillomar_game(const quillomar_game&) = delete;
    quillomar_game& operator=(const quillomar_game&) = delete;

    // Starts reading the models, images and sound device on worker threads.
    void prepare() override;
    void startup() override;
    // Reads the clock and the input and lets the screen on top step.
    void update() override;
    void shutdown() override;
    // One whole frame: update, then the screen on top draws.
    void render() override;
    // Escape presses counted since the last frame go to the screen on top, one by one; true once
    // a screen or the menu's Quit has asked the game to end.
    bool quit_requested() override;
    bool escape_ends_game() override;
    // The saved settings win over config.txt.
    void choose_window(window_config& config) override;

    // --- The screens.
    // Puts `next` on top; the one below stays and comes back when `next` goes.
    void push(std::unique_ptr<screen> next);
    // Takes the screen on top away; the one below comes back. The last screen never goes: with
    // nothing left to go back to, the game ends.
    void pop();
    // Every screen goes, and `next` is the only one.
    void replace_all(std::unique_ptr<screen> next);
    // The screen on top, and the one below `s` (null at the bottom).
    screen& top() const { return *screens_.back(); }
    screen* below(const screen& s) const;
    // The name of the screen on top ("play", "title", "pause", "list"...).
    std::string screen_name() const { return screens_.empty() ? "" : top().name(); }
    // Asks the frame loop to end after this frame.
    void quit() { quit_ = true; }

    // --- Playing levels.
    // Plays the level at `path` from its start: with `preview` (a menu-started game) the camera
    // first flies along the level's proven route.
    void play_level(const std::string& path, bool preview);
    // Plays `session` as the only screen (the preview over it, if asked).
    void start_session(std::unique_ptr<play_session> session, bool preview);
    // Plays a generated level kept beside the records (the random level, the level of the day).
    void play_generated(std::uint64_t seed, bool preview);
    // Practice on the level at `path` with the ball dropped onto `cell`.
    void practice_at_cell(const std::string& path, const level_cell& cell);
    // The level after the one in `session` in the set, or empty past the set's end.
    std::string next_level_after(const play_session& session) const;
    // Opens the editor on `path` over the screens shown (Escape there comes back).
    void open_editor(const std::string& path);
    // F6 in play: the level itself, or, in a game started from the title menu, a copy in the
    // author's folder of a level that lies outside the game's own data (the set is only read).
    void edit_played_level(const std::string& game_path);
    void open_replays();
    void open_level_list();
    void open_title();
    // Level codes (shell/level_codes.cpp). The code of the level text or file, with the run to
    // beat on it, put on the clipboard; returns the line to show, which also goes to the console.
    std::string copy_level_code(const std::string& level_text);
    std::string copy_level_file_code(const std::string& game_path);
    // A code (or the clipboard's text) checked beside the frames (the "pasting" screen), then
    // kept among the shared levels and played from its preview, its run the ghost to beat; the
    // outcome's line goes to the console and under the title menu. Returns the line to show now.
    std::string paste_level_code(std::string_view code);
    std::string paste_from_clipboard();

    // --- The record server (shell/online_link.cpp).
    // The client of the server the settings name, made when first asked; null when none is
    // named. It steps once a frame, whichever screen is on top.
    online_client* online();
    // A won run kept in the outbox and sent when the player sends runs: its ticket for the win
    // panel's line, or empty.
    std::string send_won_run(const play_session& session);
    // Another server address (empty: none) or player name, saved and in force.
    void set_server(const std::string& address);
    void rename_player(const std::string& name);

    // --- What the screens share.
    // The session of the topmost play screen: the run shown, paused or not; null when none.
    play_session* session() const;
    const game_state& state() const;
    frame_renderer* renderer() { return renderer_.get(); }
    key_input* keys() { return keys_.get(); }
    sound_engine* sound() { return sound_.get(); }
    menu_mode& menus() { return *menus_; }
    statistics_store& statistics();
    const level_set& levels() const;
    // The set's rows as the records and the wins with help leave them (titles, open, best time).
    std::vector<level_list_row> level_rows() const;
    // False only for a level of the set that is locked: no way into play may start it.
    bool level_open(const std::string& level_key) const;
    // What the level list calls the level at `path` (else its file name), and its hint.
    std::string level_title(const std::string& path) const;
    std::string level_hint(const std::string& path) const;
    // "Seed 123456" for a generated level, to stand in small type by its title; else empty.
    std::string level_seed_note(const std::string& path) const;
    const std::vector<std::string>& level_keys() const;
    route_cache& routes() { return routes_; }
    // The game was started from the title menu: the HUD may add to the specified one and Escape
    // in play pauses rather than ends the game.
    bool from_menu() const { return start_in_menu; }
    // The share of full speed the world runs at (Settings, Accessibility): 1, or less to assist.
    double game_speed() const;
    // Whether the overview's key is held down.
    bool overview_held() const;
    // How play steers: the player's choice in a game started from the title menu, classic
    // otherwise.
    steering steering_in_play() const;
    // Whether play shows the arrow of the ball's heading (Settings, Accessibility).
    bool heading_arrow_shown() const;
    // The window, the text size in force and the HUD font's measures, for laying lines out.
    hud_frame text_frame();
    // The wall clock, as the frame read it.
    double frame_time() const { return frame_time_; }
    float aspect() const { return static_cast<float>(width) / static_cast<float>(height); }
    // The fall map over the level drawn next (H), for the level with this key.
    void set_fall_map_cells(const std::string& level_key);
    bool fall_map_shown = false;
    // Draws the world of the screen below `s`, darkened under `lines` (a menu or list over it);
    // just the lines where nothing is below.
    void draw_below(const screen& s, const std::vector<hud_line>& lines);
    // Draws the session's world from `shot` instead of its camera, without the run's HUD, under
    // `lines` (the preview, "Go!").
    void draw_session_from(const camera_shot& shot, const std::vector<hud_line>& lines);
    // Draws nothing but the cleared frame and `lines` (a screen with no world under it).
    void draw_lines_only(const std::vector<hud_line>& lines);

    // --- For tests and tools, as before the screens.
    bool paused() const { return !screens_.empty() && top().pauses_play(); }
    bool level_list_open() const { return screen_name() == "list"; }
    bool theatre_open() const { return screen_name() == "theatre"; }
    bool practising() const { return session() && session()->practising(); }
    // The lines the shell adds to the game's own HUD: the screen on top's.
    std::vector<hud_line> shell_hud_lines() const;
    // The level editor while a level is edited (and play-tested); null otherwise.
    edit_mode* editor() const;
    theatre_mode* theatre() const;
    // The level list while it is open: its rows and the one chosen.
    std::vector<level_list_row> level_list() const;
    std::size_t level_list_choice() const;
    const ghost_run* ghost() const { return session() ? session()->ghost() : nullptr; }
    bool ghost_shown() const { return session() && session()->show_ghost; }
    void wait_for_ghost();
    // The session's core, or an idle one with no level while no level is played.
    game_core& core();

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
    // With start_in_menu: play level_path at once (a level named beside --menu).
    bool menu_plays_level = false;
    std::function<frame_input(double time)> input_source;
    // The events of the latest frame's ticks, for tests and tools to observe.
    game_events last_events;

private:
    void handle_global_keys();
    void drain_window_actions();
    void take_escapes();
    void tidy_saved_files();

    std::vector<std::unique_ptr<screen>> screens_;
    // Screens taken away this frame: they go at the end of it, so the one that asked to go can
    // finish its step.
    std::vector<std::unique_ptr<screen>> gone_;
    bool quit_ = false;
    double frame_time_ = 0.0;
    // Read when first needed: a game that is never won or listed never opens the order file.
    mutable std::optional<level_set> level_set_;
    mutable std::vector<std::string> level_keys_;
    std::optional<statistics_store> statistics_;
    route_cache routes_;
    std::unique_ptr<menu_mode> menus_;
    // What prepare started; startup takes it, or loads everything itself when prepare never ran.
    std::future<preloaded_assets> preload_;
    std::future<std::unique_ptr<sound_engine>> sound_ready_;
    std::unique_ptr<frame_renderer> renderer_;
    std::unique_ptr<key_input> keys_;
    std::unique_ptr<sound_engine> sound_;
    std::unique_ptr<online_client> online_;
    std::string online_server_;
    // What is drawn and stepped while no level is played (the title screen's start).
    game_core idle_core_;
};

}  // namespace quillomar
