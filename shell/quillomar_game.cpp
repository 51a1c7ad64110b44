#include "shell/quillomar_game.h"

#include <iostream>

#include "framework/game_window.h"
#include "framework/key_map.h"
#include "framework/seams.h"
#include "records/records_store.h"
#include "render/frame_renderer.h"
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

}  // namespace

quillomar_game::quillomar_game() = default;
quillomar_game::~quillomar_game() = default;

void quillomar_game::startup() {
    check_gl_error(__FILE__, __LINE__);
    log("begin startup() in quillomar_game");
    renderer_ = std::make_unique<frame_renderer>();
    renderer_->create_object_program();
    check_gl_error(__FILE__, __LINE__);

    log("Parse level in quillomar_game.startup() ...");
    if (core_.read_level(level_path)) {
        logged("initialize cube in quillomar_game.startup() ...",
               "initialize cube in quillomar_game.startup() done.", [&] { renderer_->load_cube(); });
        logged("initialize item in quillomar_game.startup() ...",
               "initialize item in quillomar_game.startup() done.", [&] {
                   renderer_->load_item();
                   core_.place_items();
               });
        logged("initialize enemy in quillomar_game.startup() ...",
               "initialize enemy in quillomar_game.startup() done.", [&] {
                   renderer_->load_enemy();
                   core_.place_enemies();
               });
    }
    log("Parse level in quillomar_game.startup() done.");
    check_gl_error(__FILE__, __LINE__);

    logged("initialize orbel in quillomar_game.startup() ...",
           "initialize orbel in quillomar_game.startup() done.", [&] {
               core_.init_ball();
               renderer_->load_ball();
           });
    check_gl_error(__FILE__, __LINE__);
    logged("initialize cameras in quillomar_game.startup() ...",
           "initialize cameras in quillomar_game.startup() done.", [&] { core_.init_cameras(); });
    logged("do openGL stuff in quillomar_game.startup() ...",
           "openGL stuff in quillomar_game.startup() done.",
           [&] { renderer_->set_initial_gl_state(); });
    logged("do bullet stuff in quillomar_game.startup() ...",
           "bullet stuff in quillomar_game.startup() done.", [&] { core_.create_physics(); });
    renderer_->create_particles();
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
               sound_ = sound_engine::create(sound_device.empty() ? nullptr : sound_device.c_str());
               if (!sound_) {
                   log("could not start sound engine!");
               }
           });
    keys_ = std::make_unique<key_input>(window);
    run_.level_key = level_key_of_file(level_path);
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
    const bool was_paused = paused();
    if (keys_) {
        for (int n = keys_->take(window_action::full_screen); n > 0; --n) {
            toggle_full_screen(window);
        }
        for (int n = keys_->take(window_action::pause); n > 0; --n) {
            paused_by_key_ = !paused_by_key_;
        }
        paused_by_focus_ = !keys_->focused();
    }
    if (paused() != was_paused) {
        if (paused()) {
            pause_began_ = now();
        } else {
            paused_seconds_ += now() - pause_began_;
        }
    }
    if (paused()) {
        last_events.clear();
        return;
    }
    core_.set_aspect(static_cast<float>(width) / static_cast<float>(height));
    const double time = now() - paused_seconds_;
    frame_input input = input_source ? input_source(time) : keys_->sample(time);
    if (replay_ && replayed_ < replay_->frames.size()) {
        input = replay_->frames[replayed_++];
    }
    run_.frames.push_back(input);
    last_events = core_.step(input);
    for (const game_event& e : last_events) {
        if (e.kind == event_kind::console_line) {
            std::cout << e.text << std::endl;
        }
    }
    play_sound_events(sound_.get(), last_events);
    for (const game_event& e : last_events) {
        if (e.kind == event_kind::won) {
            keep_a_won_run();
        }
    }
}

void quillomar_game::keep_a_won_run() {
    const game_state& s = core_.state;
    if (replay_ || run_.level_key.empty()) {
        return;
    }
    records_store records(default_records_folder());
    records.load();
    const bool best = records.update_with_run(
        run_.level_key, level_path, s.finish_time - s.play_started, 5 - s.lives);
    if (best && !records.folder().empty()) {
        // The best run of each level lies beside the records, named by the level's key.
        save_recording(run_, records.folder() + "/" + run_.level_key + ".replay");
    }
}

void quillomar_game::render() {
    update();
    std::vector<hud_line> extra;
    if (paused()) {
        extra.push_back({"Paused", false, -60, 200});
    }
    renderer_->draw(core_.state, width, height, extra);
}

void quillomar_game::shutdown() {
    if (!record_path.empty()) {
        save_recording(run_, record_path);
    }
    log("begin shutdown() in quillomar_game");
    keys_.reset();
    core_.state.physics.reset();
    renderer_->destroy_framebuffers();
    log("end shutdown() in quillomar_game");
    renderer_.reset();
    sound_.reset();
}

}  // namespace quillomar
