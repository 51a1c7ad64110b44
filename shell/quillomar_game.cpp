#include "shell/quillomar_game.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <random>

#include "authoring/generated_level_file.h"
#include "authoring/own_levels.h"
#include "framework/game_window.h"
#include "framework/key_map.h"
#include "framework/seams.h"
#include "records/assisted_store.h"
#include "game/menu.h"
#include "game/words.h"
#include "records/best_run.h"
#include "records/records_store.h"
#include "records/online_client.h"
#include "records/settings.h"
#include "records/stale_temporaries.h"
#include "render/frame_renderer.h"
#include "shell/edit_mode.h"
#include "shell/edit_screen.h"
#include "shell/editor_list_screen.h"
#include "shell/list_screen.h"
#include "shell/menu_mode.h"
#include "shell/page_bridge.h"
#include "shell/play_screen.h"
#include "shell/preview_screen.h"
#include "shell/ready_screen.h"
#include "shell/theatre_screen.h"
#include "shell/title_screen.h"
#include "sound/sound_engine.h"
#include "sound/sound_events.h"

namespace quillomar {
namespace {

void log(const char* line) {
    std::cout << line << std::endl;
}

// Hands the pages that a start-up step freed (decoded images, the compiler's scratch) back to
// the system before the next step allocates: otherwise they stay resident beside its buffers and
// raise the process's peak by a few MiB.
void return_freed_pages() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

// Start-up steps are logged as a pair of lines around the step.
template <class Step>
void logged(const char* before, const char* after, Step&& step) {
    log(before);
    step();
    log(after);
}

}  // namespace

std::uint64_t random_level_seed() {
    return std::random_device{}() % 1000000;
}

std::uint64_t level_of_the_day_seed() {
    const std::time_t today = std::time(nullptr);
    std::tm local{};
    localtime_r(&today, &local);
    return static_cast<std::uint64_t>((local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 +
                                      local.tm_mday);
}

void screen::draw_under(quillomar_game& game, const std::vector<hud_line>& lines) {
    game.draw_lines_only(lines);
}

quillomar_game::quillomar_game() : menus_(std::make_unique<menu_mode>()) {}

quillomar_game::~quillomar_game() = default;

void quillomar_game::prepare() {
#ifdef __GLIBC__
    // glibc gives every new thread a heap of its own, and what a worker frees there stays
    // resident: one heap for the whole process keeps the start's peak (about 14 MiB higher with
    // a heap per worker) where it was without the workers.
    mallopt(M_ARENA_MAX, 1);
    // Blocks of 128 KiB and more are mapped on their own and go back to the system when freed.
    // Left to itself glibc raises that bound to the largest block freed so far (up to 32 MiB),
    // and the large buffers that start-up and the driver's first frames free then stay in the
    // heap as free space beside what the frame keeps (about 2 MiB at rest).
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    // Neither needs the GL context, so both run while the window opens. The loaders' libraries
    // are opened here, on this thread, and the worker holds them until it is done.
    preload_ = std::async(std::launch::async, [libraries = std::make_shared<loader_libraries>()] {
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
    renderer_->projector.finish_on_judged_square = from_menu();
    if (preload_.valid()) {
        renderer_->preloaded = preload_.get();
    }
    renderer_->create_object_program();
    check_gl_error(__FILE__, __LINE__);

    auto core = std::make_unique<game_core>();
    std::unique_ptr<edit_mode> editor;
    log("Parse level in quillomar_game.startup() ...");
    if (!edit_path.empty()) {
        editor = edit_mode::open(edit_path);
    }
    if (editor) {
        core->use_level(editor->current_level());
    }
    if (editor || core->read_level(level_path)) {
        logged("initialize cube in quillomar_game.startup() ...",
               "initialize cube in quillomar_game.startup() done.",
               [&] { renderer_->load_cube(); });
        logged("initialize item in quillomar_game.startup() ...",
               "initialize item in quillomar_game.startup() done.", [&] {
                   renderer_->load_item();
                   core->place_items();
               });
        logged("initialize enemy in quillomar_game.startup() ...",
               "initialize enemy in quillomar_game.startup() done.", [&] {
                   renderer_->load_enemy();
                   core->place_enemies();
               });
    }
    log("Parse level in quillomar_game.startup() done.");
    check_gl_error(__FILE__, __LINE__);

    logged("initialize orbel in quillomar_game.startup() ...",
           "initialize orbel in quillomar_game.startup() done.", [&] {
               core->init_ball();
               renderer_->load_ball();
           });
    check_gl_error(__FILE__, __LINE__);
    // The models' decoded images are uploaded by now.
    return_freed_pages();
    logged("initialize cameras in quillomar_game.startup() ...",
           "initialize cameras in quillomar_game.startup() done.", [&] { core->init_cameras(); });
    logged("do openGL stuff in quillomar_game.startup() ...",
           "openGL stuff in quillomar_game.startup() done.",
           [&] { renderer_->set_initial_gl_state(); });
    logged("do bullet stuff in quillomar_game.startup() ...",
           "bullet stuff in quillomar_game.startup() done.", [&] { core->create_physics(); });
    renderer_->create_particles();
    renderer_->create_remaining_programs();
    return_freed_pages();
    logged("do shadow mapping stuff in quillomar_game.startup() ...",
           "shadow mapping stuff in quillomar_game.startup() done.",
           [&] { renderer_->create_shadow_map(); });
    logged("do projected texture stuff in quillomar_game.startup() ...",
           "projected texture stuff in quillomar_game.startup() done.",
           [&] { renderer_->create_projectors(); });
    logged("text stuff in quillomar_game.startup() ...",
           "text stuff in quillomar_game.startup() done.", [&] { renderer_->create_text(); });
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
    return_freed_pages();
    keys_ = std::make_unique<key_input>(window);
    menus_->load_settings();
    menus_->apply({window, keys_.get(), sound_.get(), renderer_.get()});
    frame_time_ = now();
    if (editor) {
        replace_all(std::make_unique<edit_screen>(std::move(editor)));
    } else if (start_in_menu) {
        open_title();
        // A level named beside --menu (a shared link in the browser) is played at once, as the
        // level list starts one: Escape pauses it and the pause menu leads back to the title.
        if (menu_plays_level) {
            play_level(level_path, true);
        }
    } else {
        replace_all(std::make_unique<play_screen>(std::make_unique<play_session>(
            std::move(core), level_path, play_session::kind::player)));
        if (!replay_path.empty()) {
            session()->play_recording(replay_path);
        }
    }
    attach_to_page(this);
    log("end startup() in quillomar_game");
    check_gl_error(__FILE__, __LINE__);
    tidy_saved_files();
}

void quillomar_game::tidy_saved_files() {
    // A write cut short by a kill leaves its temporary beside the file, or a best run whose
    // record was never written: both are put right before anything new is written.
    const std::string folder = default_records_folder();
    if (!folder.empty()) {
        for (const std::string& f : {folder, folder + "/recordings", folder + "/generated"}) {
            remove_stale_temporaries(f);
        }
        records_store records(folder);
        records.load();
        settle_best_runs(records);
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string settings_file = settings_path(config, home);
    if (!settings_file.empty()) {
        remove_stale_temporaries(std::filesystem::path(settings_file).parent_path().string());
    }
}

// --- The screens.

void quillomar_game::push(std::unique_ptr<screen> next) {
    if (!screens_.empty()) {
        top().leave(*this, true);
    }
    screens_.push_back(std::move(next));
    top().enter(*this, false);
}

void quillomar_game::pop() {
    if (screens_.size() <= 1) {
        quit_ = true;
        return;
    }
    top().leave(*this, false);
    gone_.push_back(std::move(screens_.back()));
    screens_.pop_back();
    top().enter(*this, true);
}

void quillomar_game::replace_all(std::unique_ptr<screen> next) {
    while (!screens_.empty()) {
        top().leave(*this, false);
        gone_.push_back(std::move(screens_.back()));
        screens_.pop_back();
    }
    push(std::move(next));
}

screen* quillomar_game::below(const screen& s) const {
    for (std::size_t i = 1; i < screens_.size(); ++i) {
        if (screens_[i].get() == &s) {
            return screens_[i - 1].get();
        }
    }
    return nullptr;
}

// --- The frame.

void quillomar_game::handle_global_keys() {
    for (int n = keys_->take(window_action::full_screen); n > 0; --n) {
        toggle_full_screen(window);
    }
}

void quillomar_game::drain_window_actions() {
    // Every action is taken each frame, so presses meant for another screen never pile up for
    // the one that comes next; Escape stays for quit_requested.
    for (int a = 0; a < window_action_count; ++a) {
        if (static_cast<window_action>(a) != window_action::quit) {
            keys_->take(static_cast<window_action>(a));
        }
    }
    if (!screens_.empty() && top().pauses_play()) {
        // Keys pressed while play stands still steer nothing once it goes on.
        keys_->sample(0.0);
    }
}

void quillomar_game::update() {
    gone_.clear();
    frame_time_ = now();
    last_events.clear();
    if (screens_.empty()) {
        return;
    }
    if (keys_) {
        keys_->poll_gamepads();
        handle_global_keys();
    }
    screen* stepped = &top();
    stepped->step(*this);
    // Play that comes on top in this frame (a level chosen, the pause menu left) plays this
    // frame's ticks at once, as it would have without the screen before it.
    if (&top() != stepped && !top().pauses_play() && !quit_) {
        top().step(*this);
    }
    // Escape presses the screen did not take itself (a menu goes back a page with them).
    take_escapes();
    if (online_) {
        online_->step(frame_time_);
    }
    // Presses typed after the one that opened a new screen, within this frame, are that
    // screen's: a slow frame must not eat the keys typed ahead.
    if (keys_ && &top() == stepped) {
        drain_window_actions();
    }
}

void quillomar_game::render() {
    update();
    if (!screens_.empty()) {
        top().draw(*this);
    }
}

void quillomar_game::take_escapes() {
    const int escapes = keys_ ? keys_->take(window_action::quit) : 0;
    for (int n = 0; n < escapes && !quit_ && !screens_.empty(); ++n) {
        top().escape(*this);
    }
}

bool quillomar_game::quit_requested() {
    take_escapes();
    return quit_;
}

bool quillomar_game::escape_ends_game() {
    return !screens_.empty() && top().escape_ends_game(*this);
}

void quillomar_game::choose_window(window_config& config) {
    menus_->load_settings();
    menus_->choose_window(config);
}

void quillomar_game::shutdown() {
    // Every screen goes: a run ends its statistics, a check or a ghost on its way is stopped.
    const play_session* last = session();
    if (last != nullptr && !record_path.empty()) {
        save_recording(last->run(), record_path);
    }
    while (!screens_.empty()) {
        top().leave(*this, false);
        gone_.push_back(std::move(screens_.back()));
        screens_.pop_back();
    }
    attach_to_page(nullptr);
    log("begin shutdown() in quillomar_game");
    keys_.reset();
    // The physics worlds go with the screens that own them, before the framebuffers.
    gone_.clear();
    idle_core_.state.physics.reset();
    renderer_->destroy_framebuffers();
    log("end shutdown() in quillomar_game");
    renderer_.reset();
    sound_.reset();
}

hud_frame quillomar_game::text_frame() {
    hud_frame frame{width, height, menus_->text_scale(), {}};
    if (renderer_ != nullptr) {
        frame.metrics = renderer_->hud_metrics();
    }
    return frame;
}

// --- Playing levels.

void quillomar_game::start_session(std::unique_ptr<play_session> session, bool preview) {
    level_path = session->level_path();
    play_session& started = *session;
    const bool counted_off = from_menu() && !started.replaying();
    const std::string chosen_on = screens_.empty() ? "title" : top().name();
    replace_all(std::make_unique<play_screen>(std::move(session)));
    // A run from the title menu starts on "Go!", after the preview when there is one.
    if (counted_off) {
        push(std::make_unique<ready_screen>());
    }
    if (preview && menus_->saved().level_preview) {
        push(std::make_unique<preview_screen>(chosen_on));
    }
    // The next level's route, for its preview, while this one is played.
    (void)started;
}

void quillomar_game::play_level(const std::string& path, bool preview) {
    std::unique_ptr<play_session> session = play_session::of_file(path);
    if (session->as_read() != nullptr) {
        routes_.request(level_key_of_file(path), *session->as_read());
    }
    start_session(std::move(session), preview);
}

void quillomar_game::play_generated(std::uint64_t seed, bool preview) {
    std::string message;
    const std::string path = keep_generated_level(default_records_folder(), seed, &message);
    if (path.empty()) {
        std::cout << message << std::endl;
        return;
    }
    play_level(path, preview);
}

void quillomar_game::practice_at_cell(const std::string& path, const level_cell& cell) {
    game_core reader;
    if (!reader.read_level(path)) {
        return;
    }
    reader.place_items();
    reader.place_enemies();
    practice_start start{reader.state.level, recording(), cell};
    auto session = std::make_unique<play_session>(build_practice(start), path,
                                                  play_session::kind::player);
    session->practise(std::move(start));
    start_session(std::move(session), false);
}

std::string quillomar_game::next_level_after(const play_session& session) const {
    const level_set& set = levels();
    const std::optional<std::size_t> here = index_of_level(level_keys_, session.level_key());
    // A run that kept no record (an assisted one) opens nothing: the next level may be locked.
    if (!here || *here + 1 >= set.size() || !level_open(level_keys_[*here + 1])) {
        return std::string();
    }
    return set[*here + 1].path;
}

std::vector<level_list_row> quillomar_game::level_rows() const {
    const std::string folder = default_records_folder();
    records_store records(folder);
    records.load();
    assisted_store assisted(folder);
    assisted.load();
    return level_list_rows(levels(), level_keys(), records.records(), assisted.keys());
}

bool quillomar_game::level_open(const std::string& level_key) const {
    const std::optional<std::size_t> here = index_of_level(level_keys(), level_key);
    if (!here) {
        return true;
    }
    return level_rows()[*here].unlocked;
}

std::string quillomar_game::level_title(const std::string& path) const {
    const play_session* s = session();
    // A generated level kept before levels had titles is named by its seed's title.
    const std::string generated = generated_level_title(
        path, s != nullptr && s->level_path() == path ? s->state().level.title : std::string());
    if (!generated.empty()) {
        return generated;
    }
    // Titles and hints are shown through tr(): the shipped levels' are in the catalogues.
    if (s != nullptr && s->level_path() == path && !s->state().level.title.empty()) {
        return tr(s->state().level.title);
    }
    const level_set& set = levels();
    const std::optional<std::size_t> here = index_of_level(level_keys_, level_key_of_file(path));
    if (here) {
        return tr(set[*here].title);
    }
    // A level from elsewhere (a file opened in the browser) is known by its file's name.
    return std::filesystem::path(path).filename().string();
}

std::string quillomar_game::level_seed_note(const std::string& path) const {
    const std::optional<std::uint64_t> seed = seed_of_generated_path(path);
    return seed ? tr("Seed") + " " + std::to_string(*seed) : std::string();
}

std::string quillomar_game::level_hint(const std::string& /*path*/) const {
    const play_session* s = session();
    return s && !s->state().level.hint.empty() ? tr(s->state().level.hint) : std::string();
}

void quillomar_game::open_editor(const std::string& path) {
    std::unique_ptr<edit_mode> editor = edit_mode::open(path);
    if (editor) {
        push(std::make_unique<edit_screen>(std::move(editor)));
    }
}

void quillomar_game::edit_played_level(const std::string& game_path) {
    const std::string data = default_records_folder();
    const std::string path = platform_path(game_path);
    if (!from_menu() || data.empty() || path.rfind(data + "/", 0) == 0) {
        open_editor(path);
        return;
    }
    std::string note;
    const std::string copy = copy_to_own_levels(own_levels_folder(data), game_path, &note);
    if (copy.empty()) {
        std::cout << note << std::endl;
        return;
    }
    open_editor(copy);
}

void quillomar_game::open_replays() {
    push(std::make_unique<theatre_screen>());
}

void quillomar_game::open_level_list() {
    push(std::make_unique<list_screen>());
}

void quillomar_game::open_title() {
    replace_all(std::make_unique<title_screen>());
}

// --- What the screens share.

play_session* quillomar_game::session() const {
    for (auto it = screens_.rbegin(); it != screens_.rend(); ++it) {
        if (auto* play = dynamic_cast<play_screen*>(it->get())) {
            return &play->session();
        }
    }
    return nullptr;
}

const game_state& quillomar_game::state() const {
    const play_session* s = session();
    return s ? s->state() : idle_core_.state;
}

game_core& quillomar_game::core() {
    play_session* s = session();
    return s ? s->core() : idle_core_;
}

edit_mode* quillomar_game::editor() const {
    for (auto it = screens_.rbegin(); it != screens_.rend(); ++it) {
        if (auto* edit = dynamic_cast<edit_screen*>(it->get())) {
            return &edit->editor();
        }
    }
    return nullptr;
}

theatre_mode* quillomar_game::theatre() const {
    auto* shown = screens_.empty() ? nullptr : dynamic_cast<theatre_screen*>(screens_.back().get());
    return shown ? &shown->theatre() : nullptr;
}

std::vector<level_list_row> quillomar_game::level_list() const {
    auto* list = screens_.empty() ? nullptr : dynamic_cast<list_screen*>(screens_.back().get());
    return list ? list->rows() : std::vector<level_list_row>();
}

std::size_t quillomar_game::level_list_choice() const {
    auto* list = screens_.empty() ? nullptr : dynamic_cast<list_screen*>(screens_.back().get());
    return list ? list->choice() : 0;
}

std::vector<hud_line> quillomar_game::shell_hud_lines() const {
    return screens_.empty() ? std::vector<hud_line>() : top().hud_lines(*this);
}

void quillomar_game::wait_for_ghost() {
    if (play_session* s = session()) {
        s->wait_for_ghost();
    }
}

statistics_store& quillomar_game::statistics() {
    if (!statistics_) {
        statistics_.emplace(default_records_folder());
        statistics_->load();
    }
    return *statistics_;
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

const std::vector<std::string>& quillomar_game::level_keys() const {
    levels();
    return level_keys_;
}

void quillomar_game::set_fall_map_cells(const std::string& level_key) {
    fall_map_overlay& overlay = renderer_->fall_map;
    overlay.shown = fall_map_shown;
    if (from_menu()) {
        overlay.legend = fall_map_legend{tr("Lives lost here"), tr("few"), tr("many")};
    } else {
        overlay.legend.reset();
    }
    if (!fall_map_shown) {
        return;
    }
    const level_statistics* counted = statistics().find(level_key);
    overlay.deaths = counted ? counted->deaths : std::map<level_cell, long>();
}

double quillomar_game::game_speed() const {
    return menus_->saved().game_speed_percent / 100.0;
}

bool quillomar_game::overview_held() const {
    return keys_ && keys_->held(window_action::overview);
}

steering quillomar_game::steering_in_play() const {
    return from_menu() ? menus_->saved().steer : steering::classic;
}

bool quillomar_game::heading_arrow_shown() const {
    return menus_->saved().heading_arrow;
}

void quillomar_game::draw_below(const screen& s, const std::vector<hud_line>& lines) {
    if (screen* under = below(s)) {
        under->draw_under(*this, lines);
    } else {
        draw_lines_only(lines);
    }
}

void quillomar_game::draw_session_from(const camera_shot& shot,
                                       const std::vector<hud_line>& lines) {
    play_session* played = session();
    if (played == nullptr) {
        return;
    }
    game_state& s = played->core().state;
    played->core().set_aspect(aspect());
    kept_camera kept(s);
    kept.aim(shot);
    renderer_->show_game_hud = false;
    renderer_->draw(s, width, height, lines);
    renderer_->show_game_hud = true;
}

void quillomar_game::draw_lines_only(const std::vector<hud_line>& lines) {
    renderer_->draw_text_only(idle_core_.state, width, height, lines);
}

}  // namespace quillomar
