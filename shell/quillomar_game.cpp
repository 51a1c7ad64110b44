#include "shell/quillomar_game.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <chrono>
#include <ctime>
#include <random>
#include <filesystem>
#include <iostream>

#include "authoring/generated_level_file.h"
#include "framework/game_window.h"
#include "framework/key_map.h"
#include "framework/seams.h"
#include "records/records_store.h"
#include "game/menu.h"
#include "render/frame_renderer.h"
#include "shell/menu_mode.h"
#include "shell/edit_mode.h"
#include "shell/theatre_mode.h"
#include "sound/sound_engine.h"
#include "sound/sound_events.h"

namespace quillomar {
namespace {

void log(const char* line) {
    std::cout << line << std::endl;
}

// Start-up steps are logged as a pair of lines around the step.
template <class Step>
void logged(const char* before, const char* after, Step&& step) {
    log(before);
    step();
    log(after);
}

// A seed short enough to read off the screen and type after --generate.
std::uint64_t random_level_seed() {
    return std::random_device{}() % 1000000;
}

// The local date as YYYYMMDD: everyone plays the same level on the same day.
std::uint64_t level_of_the_day_seed() {
    const std::time_t today = std::time(nullptr);
    std::tm local{};
    localtime_r(&today, &local);
    return static_cast<std::uint64_t>((local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 +
                                      local.tm_mday);
}

}  // namespace

quillomar_game::quillomar_game()
    : menus_(std::make_unique<menu_mode>()), theatre_(std::make_unique<theatre_mode>()) {}

quillomar_game::~quillomar_game() {
    if (ghost_cancel_) {
        ghost_cancel_->store(true);
    }
}

void quillomar_game::prepare() {
#ifdef __GLIBC__
    // glibc gives every new thread a heap of its own, and what a worker frees there stays
    // resident: one heap for the whole process keeps the start's peak (about 14 MiB higher with
    // a heap per worker) where it was without the workers.
    mallopt(M_ARENA_MAX, 1);
#endif
    // Neither needs the GL context, so both run while the window opens.
    preload_ = std::async(std::launch::async, [] {
        return preload_assets(frame_renderer::preloaded_models(),
                              frame_renderer::preloaded_images());
    });
    sound_ready_ = std::async(std::launch::async, [device = sound_device] {
        return sound_engine::create(device.empty() ? nullptr : device.c_str());
    });
}

void quillomar_game::startup() {
    check_gl_error(__FILE__, __LINE__);
    log("begin startup() in quillomar_game");
    renderer_ = std::make_unique<frame_renderer>();
    if (preload_.valid()) {
        renderer_->preloaded = preload_.get();
    }
    renderer_->create_object_program();
    check_gl_error(__FILE__, __LINE__);

    log("Parse level in quillomar_game.startup() ...");
    if (!edit_path.empty()) {
        open_editor(edit_path);
    }
    if (editor_) {
        core_->use_level(editor_->current_level());
    }
    if (editor_ || core_->read_level(level_path)) {
        logged("initialize cube in quillomar_game.startup() ...",
               "initialize cube in quillomar_game.startup() done.",
               [&] { renderer_->load_cube(); });
        logged("initialize item in quillomar_game.startup() ...",
               "initialize item in quillomar_game.startup() done.", [&] {
                   renderer_->load_item();
                   core_->place_items();
               });
        logged("initialize enemy in quillomar_game.startup() ...",
               "initialize enemy in quillomar_game.startup() done.", [&] {
                   renderer_->load_enemy();
                   core_->place_enemies();
               });
    }
    log("Parse level in quillomar_game.startup() done.");
    check_gl_error(__FILE__, __LINE__);

    logged("initialize orbel in quillomar_game.startup() ...",
           "initialize orbel in quillomar_game.startup() done.", [&] {
               core_->init_ball();
               renderer_->load_ball();
           });
    check_gl_error(__FILE__, __LINE__);
    logged("initialize cameras in quillomar_game.startup() ...",
           "initialize cameras in quillomar_game.startup() done.", [&] { core_->init_cameras(); });
    logged("do openGL stuff in quillomar_game.startup() ...",
           "openGL stuff in quillomar_game.startup() done.",
           [&] { renderer_->set_initial_gl_state(); });
    logged("do bullet stuff in quillomar_game.startup() ...",
           "bullet stuff in quillomar_game.startup() done.", [&] { core_->create_physics(); });
    renderer_->create_particles();
    logged("do shadow mapping stuff in quillomar_game.startup() ...",
           "shadow mapping stuff in quillomar_game.startup() done.",
           [&] { renderer_->create_shadow_map(); });
    logged("do projected texture stuff in quillomar_game.startup() ...",
           "projected texture stuff in quillomar_game.startup() done.",
           [&] { renderer_->create_projectors(); });
    logged("text stuff in quillomar_game.startup() ...",
           "text stuff in quillomar_game.startup() done.", [&] { renderer_->create_text(); });
    renderer_->release_shader_compiler();
    logged("sound stuff in quillomar_game.startup() ...",
           "sound stuff in quillomar_game.startup() done.", [&] {
               sound_ = sound_ready_.valid() ? sound_ready_.get()
                                             : sound_engine::create(sound_device.empty()
                                                                        ? nullptr
                                                                        : sound_device.c_str());
               if (!sound_) {
                   log("could not start sound engine!");
               }
           });
    // Whatever was preloaded and not taken is let go.
    renderer_->preloaded = preloaded_assets();
    keys_ = std::make_unique<key_input>(window);
    menus_->load_settings();
    menus_->apply({window, keys_.get(), sound_.get(), renderer_.get()});
    if (start_in_menu) {
        open_menu(true);
    }
    begin_run(!editor_);
    if (!replay_path.empty()) {
        replay_ = load_recording(replay_path);
        if (replay_ && replay_->level_key != run_.level_key) {
            std::cout << "Recording " << replay_path << " is of another level; it is not played."
                      << std::endl;
            replay_.reset();
        }
    }
    log("end startup() in quillomar_game");
    check_gl_error(__FILE__, __LINE__);
}

void quillomar_game::update() {
    if (mode_ == shell_mode::edit) {
        update_editor();
        return;
    }
    const bool was_paused = paused();
    if (keys_) {
        keys_->poll_gamepads();
        mode_ == shell_mode::menu ? run_menu() : handle_window_actions();
        // Losing the focus pauses the game: the pause menu waits for the player's return.
        if (!keys_->focused() && was_focused_ && mode_ == shell_mode::play && !list_open_) {
            open_menu(false);
        }
        was_focused_ = keys_->focused();
    }
    if (paused() != was_paused) {
        if (paused()) {
            pause_began_ = now();
        } else {
            paused_seconds_ += now() - pause_began_;
        }
    }
    take_ghost_when_ready();
    if (paused()) {
        // Keys pressed while paused steer nothing once play goes on.
        if (keys_) {
            keys_->sample(0.0);
        }
        last_events.clear();
        return;
    }
    core_->set_aspect(static_cast<float>(width) / static_cast<float>(height));
    wall_time_ = now() - paused_seconds_;
    const frame_input sampled = input_source ? input_source(wall_time_) : keys_->sample(wall_time_);
    last_events.clear();
    if (replay_ && replay_->version == 1) {
        // Recorded before the game ticked: one frame a drawn frame, each at its own time, as it
        // was played.
        if (replayed_ < replay_->frames.size()) {
            run_tick(replay_->frames[replayed_++]);
        }
        return;
    }
    // Presses wait for the next tick, so a tap within a frame that runs none still counts.
    for (std::size_t c = 0; c < command_count; ++c) {
        pending_.presses[c] = static_cast<std::uint8_t>(
            std::min(255, pending_.presses[c] + sampled.presses[c]));
    }
    const int due = clock_.advance(wall_time_);
    for (int i = 0; i < due; ++i) {
        frame_input input = sampled;
        if (i == 0) {
            input.presses = pending_.presses;
            for (std::size_t c = 0; c < command_count; ++c) {
                input.held[c] = input.held[c] || input.presses[c] > 0;
            }
            pending_ = frame_input();
        } else {
            input.presses = {};
        }
        input.time = tick_time(++run_ticks_);
        if (replay_ && replayed_ < replay_->frames.size()) {
            input = replay_->frames[replayed_++];
            input.time = tick_time(run_ticks_);
        }
        if (practice_ && input.pressed(command::restart) > 0) {
            restart_practice();
            return;
        }
        if (i + 1 == due) {
            previous_pose_ = pose_of(core_->state);
            has_previous_pose_ = true;
        }
        run_tick(input);
    }
    const game_state& s = core_->state;
    if (editor_ && (s.won || s.lost)) {
        return_to_editor(s.lost ? "lost"
                                : "finished in " + format_run_time(s.finish_time - s.play_started));
    }
}

void quillomar_game::update_editor() {
    if (!keys_) {
        return;
    }
    keys_->poll_gamepads();
    for (int n = keys_->take(window_action::full_screen); n > 0; --n) {
        toggle_full_screen(window);
    }
    // The play keys and the shell's other keys do nothing while editing; Escape is the
    // editor's, through quit_requested.
    keys_->sample(0.0);
    // The fall map shows where players of this level lost their lives.
    if (keys_->take(window_action::fall_map) % 2 == 1) {
        fall_map_shown_ = !fall_map_shown_;
    }
    for (int a = 0; a < window_action_count; ++a) {
        if (static_cast<window_action>(a) != window_action::quit) {
            keys_->take(static_cast<window_action>(a));
        }
    }
    last_events.clear();
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    if (editor_->update(*keys_, aspect) == edit_mode::request::play_test) {
        start_play_test();
    }
}

void quillomar_game::open_editor(const std::string& path) {
    editor_ = edit_mode::open(path);
    if (editor_) {
        mode_ = shell_mode::edit;
        edited_level_key_ = level_key_of_file(editor_->session().path());
        edit_began_ = now();
        play_sound_events(sound_.get(), {game_event(event_kind::stop_sounds)});
        if (keys_) {
            keys_->drop_editor_presses();
        }
    }
}

void quillomar_game::start_play_test() {
    level edited = editor_->current_level();
    edited.place_items();
    place_enemies(edited);
    core_ = fresh_core(edited);
    replay_.reset();
    pending_ = frame_input();
    paused_seconds_ += now() - edit_began_;
    mode_ = shell_mode::play;
    begin_run(false);
}

void quillomar_game::return_to_editor(const std::string& how) {
    mode_ = shell_mode::edit;
    edit_began_ = now();
    play_sound_events(sound_.get(), {game_event(event_kind::stop_sounds)});
    if (keys_) {
        keys_->drop_editor_presses();
    }
    editor_->play_test_ended(how);
}

void quillomar_game::run_tick(const frame_input& input) {
    // A run past the longest recording that can be read back is not kept beyond it.
    if (run_.frames.size() < max_recording_ticks) {
        run_.frames.push_back(input);
    }
    const game_events events = core_->step(input);
    // Replays and practice are no runs of the player's: they count nowhere.
    if (!replay_ && !practice_ && !run_.level_key.empty() &&
        run_statistics_.count_tick(statistics().of(run_.level_key), core_->state, events)) {
        statistics().save();
    }
    for (const game_event& e : events) {
        if (e.kind == event_kind::console_line) {
            std::cout << e.text << std::endl;
        }
    }
    play_sound_events(sound_.get(), events);
    for (const game_event& e : events) {
        if (e.kind == event_kind::won) {
            keep_a_won_run();
        }
    }
    last_events.insert(last_events.end(), events.begin(), events.end());
}

void quillomar_game::handle_window_actions() {
    for (int n = keys_->take(window_action::full_screen); n > 0; --n) {
        toggle_full_screen(window);
    }
    if (keys_->take(window_action::ghost) % 2 == 1) {
        show_ghost_ = !show_ghost_;
    }
    if (keys_->take(window_action::fall_map) % 2 == 1) {
        fall_map_shown_ = !fall_map_shown_;
    }
    if (theatre_->is_open()) {
        keys_->take(window_action::level_list);
        if (theatre_->update(*keys_, now()) == theatre_mode::outcome::practice) {
            practice_start start;
            std::string path;
            std::unique_ptr<game_core> core = theatre_->take_practice(start, path);
            begin_practice(path, std::move(start), std::move(core));
        }
        return;
    }
    const int open_theatre = keys_->take(window_action::theatre);
    const int practice = keys_->take(window_action::practice);
    const int left = keys_->take(window_action::left);
    const int right = keys_->take(window_action::right);
    for (window_action unused : {window_action::replay_pause, window_action::slower,
                                 window_action::faster, window_action::step_forward,
                                 window_action::step_back, window_action::switch_camera}) {
        keys_->take(unused);
    }
    // Every action is taken each frame, so presses meant for play (the arrows steer the free
    // camera) never pile up for the list or a menu.
    const int up = keys_->take(window_action::list_up);
    const int down = keys_->take(window_action::list_down);
    int confirm = keys_->take(window_action::confirm);
    for (const window_action menu_only : {window_action::menu_left, window_action::menu_right,
                                          window_action::menu_accept, window_action::menu_back}) {
        keys_->take(menu_only);
    }
    const game_state& s = core_->state;
    const bool game_over = s.won || s.lost || !s.has_level;
    // A gamepad's Start is Enter once the game is over and in the list; during play it pauses.
    const int start = keys_->take(window_action::pad_start);
    const bool pause = keys_->take(window_action::pause) > 0;
    if ((pause || (start > 0 && !game_over)) && !list_open_) {
        open_menu(false);
        return;
    }
    confirm += start;
    if (open_theatre % 2 == 1 && !editor_) {
        open_replays();
        return;
    }
    if (keys_->take(window_action::edit_level) > 0 && !editor_) {
        open_editor(platform_path(level_path));
        return;
    }
    // A play-test ends in the editor, not in another level.
    if (keys_->take(window_action::level_list) % 2 == 1 && !editor_) {
        if (list_open_) {
            list_open_ = false;
        } else {
            open_level_list();
        }
        return;
    }
    if (list_open_) {
        const long cell_choice = up + down > 0 ? 0L : static_cast<long>(practice_cell_choice_);
        practice_cell_choice_ = static_cast<std::size_t>(std::max(0L, cell_choice + right - left));
        const std::optional<level_cell> cell = practice_cell();
        if (practice > 0 && cell && list_rows_[list_choice_].unlocked) {
            list_open_ = false;
            practice_at_cell(levels()[list_choice_].path, *cell);
            return;
        }
        handle_level_list(up, down, confirm);
        return;
    }
    if (confirm == 0 || !game_over) {
        return;
    }
    // After a win Enter goes on to the next level of the set; after a loss, or past the set's
    // last level, or for a level outside the set, it plays the same level again.
    std::string next = level_path;
    const level_set& set = levels();
    const std::optional<std::size_t> here = index_of_level(level_keys_, run_.level_key);
    if (s.won && here && *here + 1 < set.size()) {
        next = set[*here + 1].path;
    }
    play_level(next);
}

void quillomar_game::open_level_list() {
    list_open_ = true;
    records_store records(default_records_folder());
    records.load();
    const level_set& set = levels();
    list_rows_ = level_list_rows(set, level_keys_, records.records());
    for (std::size_t i = 0; i < list_rows_.size(); ++i) {
        if (const level_statistics* counted = statistics().find(level_keys_[i])) {
            list_rows_[i].attempts = counted->attempts;
            list_rows_[i].wins = counted->wins;
        }
    }
    add_generated_rows(records);
    list_choice_ = index_of_level(level_keys_, run_.level_key).value_or(0);
}

void quillomar_game::open_menu(bool title) {
    mode_ = shell_mode::menu;
    const menu_mode::targets targets{window, keys_.get(), sound_.get(), renderer_.get()};
    title ? menus_->open_title(targets) : menus_->open_pause(targets);
}

void quillomar_game::run_menu() {
    const menu_action action =
        menus_->update({window, keys_.get(), sound_.get(), renderer_.get()});
    const bool leaves = action == menu_action::resume || action == menu_action::restart ||
                        action == menu_action::levels || action == menu_action::play ||
                        action == menu_action::random_level ||
                        action == menu_action::level_of_the_day || action == menu_action::editor ||
                        action == menu_action::replays || action == menu_action::fall_map;
    if (leaves) {
        menus_->close();
        mode_ = shell_mode::play;
    }
    switch (action) {
        case menu_action::restart:
            play_level(level_path);
            break;
        case menu_action::levels:
            open_level_list();
            break;
        case menu_action::play: {
            records_store records(default_records_folder());
            records.load();
            const level_set& set = levels();
            const std::vector<level_list_row> rows =
                level_list_rows(set, level_keys_, records.records());
            play_level(set.empty() ? level_path : set[level_to_continue(rows)].path);
            break;
        }
        case menu_action::title:
            open_menu(true);
            break;
        case menu_action::quit:
            quit_from_menu_ = true;
            break;
        case menu_action::random_level:
            play_generated(random_level_seed());
            break;
        case menu_action::level_of_the_day:
            play_generated(level_of_the_day_seed());
            break;
        case menu_action::editor:
            open_editor(platform_path(level_path));
            break;
        case menu_action::replays:
            open_replays();
            break;
        case menu_action::fall_map:
            fall_map_shown_ = !fall_map_shown_;
            break;
        default:
            break;
    }
}

void quillomar_game::handle_level_list(int up, int down, int confirm) {
    if (list_rows_.empty()) {
        return;
    }
    const long last = static_cast<long>(list_rows_.size()) - 1;
    const long choice = static_cast<long>(list_choice_) - up + down;
    list_choice_ = static_cast<std::size_t>(std::clamp(choice, 0L, last));
    if (confirm > 0 && list_rows_[list_choice_].unlocked) {
        list_open_ = false;
        if (list_choice_ < levels().size()) {
            play_level(levels()[list_choice_].path);
        } else {
            play_generated(list_choice_ == levels().size() ? random_seed_ : day_seed_);
        }
    }
}

void quillomar_game::add_generated_rows(const records_store& records) {
    random_seed_ = random_level_seed();
    day_seed_ = level_of_the_day_seed();
    for (const auto& [title, seed] :
         {std::pair{"Random level (seed " + std::to_string(random_seed_) + ")", random_seed_},
          std::pair{"Level of the day (" + std::to_string(day_seed_) + ")", day_seed_}}) {
        level_list_row row{title, true, std::nullopt};
        const std::string key =
            records.folder().empty()
                ? std::string()
                : level_key_of_file(generated_level_path(records.folder(), seed));
        if (const level_record* best = key.empty() ? nullptr : records.find(key)) {
            row.best_seconds = best->best_time_seconds;
        }
        list_rows_.push_back(row);
    }
}

void quillomar_game::play_generated(std::uint64_t seed) {
    std::string message;
    const std::string path = keep_generated_level(default_records_folder(), seed, &message);
    if (path.empty()) {
        std::cout << message << std::endl;
        return;
    }
    play_level(path);
}

const level_set& quillomar_game::levels() const {
    if (!level_set_) {
        level_set_ = load_level_set(level_set_path);
        level_keys_.clear();
        for (const level_set_entry& entry : *level_set_) {
            level_keys_.push_back(level_key_of_file(entry.path));
        }
    }
    return *level_set_;
}

void quillomar_game::play_level(const std::string& path) {
    auto core = std::make_unique<game_core>();
    if (core->read_level(path)) {
        core->place_items();
        core->place_enemies();
    }
    core->init_ball();
    core->init_cameras();
    core->create_physics();
    core_ = std::move(core);
    level_path = path;
    replay_.reset();
    play_sound_events(sound_.get(), {game_event(event_kind::stop_sounds)});
    begin_run();
}

void quillomar_game::begin_run(bool with_records) {
    end_run_statistics();
    run_statistics_ = run_statistics();
    practice_.reset();
    // A ghost still being computed is of the level that was: stop it and drop what it gives.
    if (ghost_cancel_) {
        ghost_cancel_->store(true);
    }
    ghost_future_ = {};
    ghost_.reset();
    run_ = recording();
    run_ticks_ = 0;
    has_previous_pose_ = false;
    run_.level_key = with_records ? level_key_of_file(level_path) : std::string();
    if (run_.level_key.empty() || !core_->state.has_level) {
        return;
    }
    const std::string folder = default_records_folder();
    const std::string best_path = folder + "/" + run_.level_key + ".replay";
    std::error_code error;
    // A level never won has no best run: that is no fault worth a line. Whatever else lies there
    // (a FIFO, a link to a device) is load_recording's to refuse.
    if (folder.empty() || !std::filesystem::exists(std::filesystem::symlink_status(best_path, error))) {
        return;
    }
    std::optional<recording> best = load_recording(best_path);
    if (!best || best->level_key != run_.level_key) {
        return;
    }
    // The best run is played again on a thread of its own while this one starts: it needs the
    // level as loaded, before any play, and nothing else of this game.
    ghost_cancel_ = std::make_shared<std::atomic<bool>>(false);
    ghost_future_ =
        std::async(std::launch::async,
                   [loaded = core_->state.level, run = std::move(*best), cancel = ghost_cancel_] {
                       return simulate_run(loaded, run, cancel.get());
                   });
}

void quillomar_game::take_ghost_when_ready() {
    if (ghost_future_.valid() &&
        ghost_future_.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
        ghost_ = ghost_future_.get();
        core_->state.best_splits = ghost_->splits;
    }
}

void quillomar_game::wait_for_ghost() {
    if (ghost_future_.valid()) {
        ghost_future_.wait();
    }
    take_ghost_when_ready();
}

std::optional<glm::mat4> quillomar_game::ghost_matrix(double offset) const {
    const game_state& s = core_->state;
    if (!ghost_ || !show_ghost_ || s.play_started < 0.0) {
        return std::nullopt;
    }
    return ghost_matrix_at(*ghost_, s.clock_time - s.play_started + offset);
}

std::vector<hud_line> quillomar_game::shell_hud_lines() const {
    if (mode_ == shell_mode::menu) {
        return menus_->hud_lines();
    }
    if (theatre_open()) {
        return theatre_->hud_lines();
    }
    std::vector<hud_line> lines;
    if (practice_) {
        lines.push_back({"Practice", false, -60, 100});
    }
    const game_state& s = core_->state;
    if (list_open_) {
        const std::string list_key = keys_ ? keys_->bound_key_name(window_action::level_list) : "Tab";
        lines.push_back({"Levels - Enter plays, " + list_key + " closes", false, -220, 250});
        // The rows around the choice, the choice kept in view.
        const std::size_t first =
            std::min(list_choice_ - std::min(list_choice_, level_list_rows_shown / 2),
                     list_rows_.size() - std::min(list_rows_.size(), level_list_rows_shown));
        const std::size_t end = std::min(list_rows_.size(), first + level_list_rows_shown);
        for (std::size_t i = first; i < end; ++i) {
            const level_list_row& row = list_rows_[i];
            const int y = 300 + 40 * static_cast<int>(i - first);
            lines.push_back({(i == list_choice_ ? "> " : "  ") + row.title, false, -220, y});
            lines.push_back({!row.unlocked      ? "locked"
                             : row.best_seconds ? format_run_time(*row.best_seconds)
                                                : "-",
                             false, 80, y});
            if (row.attempts > 0) {
                lines.push_back({"won " + std::to_string(row.wins) + " of " +
                                     std::to_string(row.attempts),
                                 false, 250, y});
            }
        }
        if (const std::optional<level_cell> cell = practice_cell()) {
            lines.push_back({"P: practice from cell " + std::to_string(cell->first) + " " +
                                 std::to_string(cell->second) + ", Left/Right: another cell",
                             false, -220, 300 + 40 * static_cast<int>(level_list_rows_shown)});
        }
    } else if (s.won) {
        const std::size_t levels_in_set = levels().size();
        const std::optional<std::size_t> here = index_of_level(level_keys_, run_.level_key);
        const bool has_next = here && *here + 1 < levels_in_set;
        lines.push_back({has_next ? "Enter: next level" : "Enter: play again", false, -60, 250});
    } else if (s.lost) {
        lines.push_back({"Enter: play again", false, -60, 250});
    }
    return lines;
}

void quillomar_game::keep_a_won_run() {
    const game_state& s = core_->state;
    if (replay_ || practice_ || run_.level_key.empty()) {
        return;
    }
    records_store records(default_records_folder());
    records.load();
    const bool best = records.update_with_run(run_.level_key, level_path,
                                              s.finish_time - s.play_started, 5 - s.lives);
    if (best && !records.folder().empty()) {
        // The best run of each level lies beside the records, named by the level's key.
        save_recording(run_, records.folder() + "/" + run_.level_key + ".replay");
    }
}

bool quillomar_game::quit_requested() {
    if (mode_ == shell_mode::menu || quit_from_menu_) {
        return quit_from_menu_;
    }
    const int escapes = keys_ ? keys_->take(window_action::quit) : 0;
    if (!editor_ || escapes == 0) {
        return escapes > 0;
    }
    if (mode_ == shell_mode::play) {
        return_to_editor("stopped");
        return false;
    }
    bool quit = false;
    for (int n = 0; n < escapes && !quit; ++n) {
        quit = editor_->escape();
    }
    return quit;
}

bool quillomar_game::escape_ends_game() {
    // While a level is being edited Escape is a key of the editor and of its play-test.
    return mode_ == shell_mode::play && !editor_ && !(keys_ && menus_->escape_latched(*keys_));
}

void quillomar_game::choose_window(window_config& config) {
    menus_->load_settings();
    menus_->choose_window(config);
}

void quillomar_game::render() {
    update();
    if (mode_ == shell_mode::edit) {
        set_fall_map_cells(edited_level_key_);
        renderer_->show_game_hud = false;
        renderer_->draw(editor_->view(static_cast<float>(width) / static_cast<float>(height)),
                        width, height, editor_->hud_lines(height), editor_->cursor_matrix());
        renderer_->show_game_hud = true;
        return;
    }
    if (theatre_->watching()) {
        set_fall_map_cells(theatre_->playing()->run().level_key);
        theatre_->draw(*renderer_, width, height);
        return;
    }
    set_fall_map_cells(run_.level_key);
    core_->count_drawn_frame(wall_time_);
    // The world stands at its last tick; the picture is drawn as far past it as the wall clock
    // is, between the tick before and the last, and the world is put back afterwards.
    const float fraction = static_cast<float>(clock_.fraction(wall_time_));
    game_state& s = core_->state;
    const drawn_pose last = pose_of(s);
    const bool blended = has_previous_pose_ && !paused() && !(replay_ && replay_->version == 1);
    if (blended) {
        put_pose(s, blend(previous_pose_, last, fraction));
    }
    renderer_->darkened = mode_ == shell_mode::menu;
    renderer_->draw(s, width, height, shell_hud_lines(),
                    ghost_matrix(blended ? (fraction - 1.0) * tick_seconds : 0.0));
    if (blended) {
        put_pose(s, last);
    }
}

void quillomar_game::shutdown() {
    end_run_statistics();
    if (!record_path.empty()) {
        save_recording(run_, record_path);
    }
    if (ghost_cancel_) {
        ghost_cancel_->store(true);
    }
    editor_.reset();
    log("begin shutdown() in quillomar_game");
    keys_.reset();
    core_->state.physics.reset();
    renderer_->destroy_framebuffers();
    log("end shutdown() in quillomar_game");
    renderer_.reset();
    sound_.reset();
}

}  // namespace quillomar

namespace quillomar {

bool quillomar_game::theatre_open() const {
    return theatre_->is_open();
}

statistics_store& quillomar_game::statistics() {
    if (!statistics_) {
        statistics_.emplace(default_records_folder());
        statistics_->load();
    }
    return *statistics_;
}

void quillomar_game::end_run_statistics() {
    // Time played and cells reached are kept with the next count that is saved, or here.
    if (statistics_ && run_ticks_ > 0 && !practice_ && !replay_) {
        statistics_->save();
    }
}

void quillomar_game::set_fall_map_cells(const std::string& level_key) {
    fall_map_overlay& overlay = renderer_->fall_map;
    overlay.shown = fall_map_shown_;
    if (!fall_map_shown_) {
        return;
    }
    const level_statistics* counted = statistics().find(level_key);
    overlay.deaths = counted ? counted->deaths : std::map<level_cell, long>();
}

void quillomar_game::open_replays() {
    list_open_ = false;
    const std::string folder = default_records_folder();
    records_store records(folder);
    records.load();
    std::vector<std::pair<std::string, std::string>> names;
    std::vector<std::string> candidates = {level_path};
    for (const level_set_entry& entry : levels()) {
        candidates.push_back(entry.path);
    }
    for (const auto& [key, record] : records.records()) {
        names.emplace_back(key, record.level_name);
        candidates.push_back(record.level_name);
    }
    theatre_->open(list_replays(folder, folder.empty() ? folder : folder + "/recordings", names),
                   [candidates](const std::string& key) {
                       return level_file_for_key(key, candidates);
                   });
}

std::optional<level_cell> quillomar_game::practice_cell() const {
    if (!list_open_ || list_choice_ >= level_keys_.size() || !statistics_) {
        return std::nullopt;
    }
    const level_statistics* counted = statistics_->find(level_keys_[list_choice_]);
    if (counted == nullptr || counted->reached.empty()) {
        return std::nullopt;
    }
    auto it = counted->reached.begin();
    std::advance(it, practice_cell_choice_ % counted->reached.size());
    return *it;
}

void quillomar_game::practice_at_cell(const std::string& path, const level_cell& cell) {
    game_core reader;
    if (!reader.read_level(path)) {
        return;
    }
    reader.place_items();
    reader.place_enemies();
    practice_start start{reader.state.level, recording(), cell};
    std::unique_ptr<game_core> core = build_practice(start);
    begin_practice(path, std::move(start), std::move(core));
}

void quillomar_game::begin_practice(const std::string& path, practice_start start,
                                    std::unique_ptr<game_core> core) {
    core_ = std::move(core);
    level_path = path;
    replay_.reset();
    play_sound_events(sound_.get(), {game_event(event_kind::stop_sounds)});
    begin_run();
    practice_ = std::move(start);
    run_.frames = practice_->before.frames;
    run_ticks_ = static_cast<long>(run_.frames.size());
    pending_ = frame_input();
}

void quillomar_game::restart_practice() {
    core_ = build_practice(*practice_);
    if (ghost_) {
        core_->state.best_splits = ghost_->splits;
    }
    run_.frames = practice_->before.frames;
    run_ticks_ = static_cast<long>(run_.frames.size());
    pending_ = frame_input();
    has_previous_pose_ = false;
    play_sound_events(sound_.get(), {game_event(event_kind::stop_sounds)});
}

}  // namespace quillomar
