#include "shell/play_session.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>

#include "authoring/shared_level.h"
#include "framework/key_map.h"
#include "framework/seams.h"
#include "game/heading_arrow.h"
#include "game/steering.h"
#include "shell/menu_mode.h"
#include "records/assisted_store.h"
#include "records/best_run.h"
#include "records/records_store.h"
#include "render/frame_renderer.h"
#include "shell/quillomar_game.h"
#include "sound/sound_events.h"

namespace quillomar {

std::unique_ptr<play_session> play_session::of_file(const std::string& path, kind k) {
    auto core = std::make_unique<game_core>();
    std::optional<level> as_read;
    if (core->read_level(path)) {
        as_read = core->state.level;
        core->place_items();
        core->place_enemies();
    }
    core->init_ball();
    core->init_cameras();
    core->create_physics();
    auto session = std::make_unique<play_session>(std::move(core), path, k);
    session->as_read_ = std::move(as_read);
    return session;
}

play_session::play_session(std::unique_ptr<game_core> core, std::string level_path, kind k)
    : core_(std::move(core)), level_path_(std::move(level_path)), kind_(k) {}

play_session::~play_session() {
    if (ghost_cancel_) {
        ghost_cancel_->store(true);
    }
}

bool play_session::counts() const {
    return !replay_ && !practice_ && !run_.level_key.empty();
}

void play_session::begin(quillomar_game& game) {
    run_ = recording();
    run_ticks_ = 0;
    has_previous_pose_ = false;
    run_.level_key = kind_ == kind::player ? level_key_of_file(level_path_) : std::string();
    if (practice_) {
        run_.frames = practice_->before.frames;
        run_ticks_ = static_cast<long>(run_.frames.size());
    }
    play_sound_events(game.sound(), {game_event(event_kind::stop_sounds)});
    if (run_.level_key.empty() || !core_->state.has_level) {
        return;
    }
    // Cells counted where this level has no cube (by an older game, or damage) go on load, so
    // the fall map and practice never show them; the counts stay.
    if (counts() && as_read() != nullptr && game.statistics().find(run_.level_key) != nullptr) {
        level_statistics& counted = game.statistics().of(run_.level_key);
        const std::size_t cells = counted.reached.size() + counted.deaths.size();
        keep_cells_on_cubes(counted, *as_read());
        if (counted.reached.size() + counted.deaths.size() != cells) {
            game.statistics().save();
        }
    }
    // The ghost to beat: the player's best run, or the run that came with a pasted level's code
    // when that is faster. A level never won has neither, which is no fault worth a line.
    std::optional<recording> best = run_to_beat(default_records_folder(), run_.level_key);
    if (!best) {
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

bool play_session::play_recording(const std::string& path) {
    replay_ = load_recording(path);
    if (replay_ && replay_->level_key != run_.level_key) {
        std::cout << "Recording " << path << " is of another level; it is not played." << std::endl;
        replay_.reset();
    }
    return replay_.has_value();
}

void play_session::practise(practice_start start) {
    practice_ = std::move(start);
    run_.frames = practice_->before.frames;
    run_ticks_ = static_cast<long>(run_.frames.size());
    pending_ = frame_input();
}

void play_session::restart_practice(quillomar_game& game) {
    core_ = build_practice(*practice_);
    if (ghost_) {
        core_->state.best_splits = ghost_->splits;
    }
    run_.frames = practice_->before.frames;
    run_ticks_ = static_cast<long>(run_.frames.size());
    pending_ = frame_input();
    has_previous_pose_ = false;
    play_sound_events(game.sound(), {game_event(event_kind::stop_sounds)});
}

void play_session::set_speed(double speed, double now) {
    if (speed == speed_) {
        return;
    }
    if (speed == 1.0) {
        held_seconds_ = now - wall_time_;
    }
    last_now_ = now;
    speed_ = speed;
    assisted_ = assisted_ || speed < 1.0;
}

double play_session::game_time(double now) const {
    if (speed_ == 1.0 || !last_now_) {
        return now - held_seconds_;
    }
    return wall_time_ + (now - *last_now_) * speed_;
}

void play_session::hold() {
    if (!held_since_) {
        held_since_ = now();
    }
}

void play_session::go_on() {
    if (held_since_) {
        held_seconds_ += now() - *held_since_;
        held_since_.reset();
        if (last_now_) {
            last_now_ = now();
        }
    }
}

void play_session::step(quillomar_game& game, double wall_now) {
    take_ghost_when_ready();
    // A game from the title menu speaks to the player; the game's own keeps its lines.
    core_->state.voice = !game.from_menu() ? hud_voice::classic
                         : replay_        ? hud_voice::player_replay
                                          : hud_voice::player;
    core_->set_aspect(static_cast<float>(game.width) / static_cast<float>(game.height));
    wall_time_ = game_time(wall_now);
    if (last_now_) {
        last_now_ = wall_now;
    }
    const frame_input sampled =
        game.input_source ? game.input_source(wall_time_) : game.keys()->sample(wall_time_);
    if (replay_ && replay_->version == 1) {
        // Recorded before the game ticked: one frame a drawn frame, each at its own time, as it
        // was played.
        if (replayed_ < replay_->frames.size()) {
            run_tick(game, replay_->frames[replayed_++]);
        }
        return;
    }
    // Presses wait for the next tick, so a tap within a frame that runs none still counts.
    for (std::size_t c = 0; c < command_count; ++c) {
        pending_.presses[c] = static_cast<std::uint8_t>(
            std::min(255, pending_.presses[c] + sampled.presses[c]));
    }
    // Direct steering: the turn keys or a stick turn the heading by the same amount each tick
    // they are held; the pointer's and a finger's turns since the last tick go to the next one.
    const bool direct = game.steering_in_play() == steering::direct;
    std::int32_t held_steer = 0;
    if (direct) {
        run_.steering = steering::direct;
        held_steer = held_turn_steer(sampled.is_held(command::turn_left),
                                     sampled.is_held(command::turn_right), sampled.turn_amount,
                                     game.menus().saved().turn_speed);
        std::int32_t moved = sampled.steer;
        if (game.keys() != nullptr) {
            moved += pointer_.take(game.keys()->take_pointer_dx(),
                                   game.menus().saved().mouse_sensitivity);
        }
        pending_.steer = std::clamp(pending_.steer + moved, -max_steer_per_tick,
                                    max_steer_per_tick);
    }
    const int due = clock_.advance(wall_time_);
    for (int i = 0; i < due; ++i) {
        frame_input input = sampled;
        input.steer = 0;
        if (direct) {
            // The turn commands spin nothing: the steer is the whole turn.
            for (const command c : {command::turn_left, command::turn_right}) {
                input.hold(c, false);
                input.presses[static_cast<std::size_t>(c)] = 0;
                pending_.presses[static_cast<std::size_t>(c)] = 0;
            }
            input.steer = std::clamp(held_steer + (i == 0 ? pending_.steer : 0),
                                     -max_steer_per_tick, max_steer_per_tick);
        }
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
            restart_practice(game);
            return;
        }
        if (retry_on_restart && !replay_ && input.pressed(command::restart) > 0) {
            retry_wanted_ = true;
            return;
        }
        if (i + 1 == due) {
            previous_pose_ = pose_of(core_->state);
            has_previous_pose_ = true;
        }
        run_tick(game, input);
    }
}

void play_session::run_tick(quillomar_game& game, const frame_input& input) {
    // A run past the longest recording that can be read back is not kept beyond it.
    if (run_.frames.size() < max_recording_ticks) {
        run_.frames.push_back(input);
    }
    const game_events events = core_->step(input);
    // Replays and practice are no runs of the player's: they count nowhere.
    if (counts() && run_statistics_.count_tick(game.statistics().of(run_.level_key),
                                               core_->state, events, assisted_)) {
        game.statistics().save();
    }
    for (const game_event& e : events) {
        if (e.kind == event_kind::console_line) {
            std::cout << e.text << std::endl;
        }
    }
    play_sound_events(game.sound(), events);
    for (const game_event& e : events) {
        if (e.kind == event_kind::won) {
#ifdef __EMSCRIPTEN__
            // The page's console says on which tick the run ended: the browser test compares it
            // with the desktop's.
            std::cout << "finish tick " << run_ticks_ << std::endl;
#endif
            keep_a_won_run(game);
        }
    }
    game.last_events.insert(game.last_events.end(), events.begin(), events.end());
}

void play_session::keep_a_won_run(quillomar_game& game) {
    const game_state& s = core_->state;
    if (!counts()) {
        return;
    }
    // An assisted run went slower than the world does for everyone else: it keeps no record,
    // but it opens the next level.
    if (assisted_) {
        assisted_store assisted(default_records_folder());
        assisted.load();
        std::string error;
        if (!assisted.add(run_.level_key, &error)) {
            std::cout << "could not keep the assisted win: " << error << std::endl;
        }
        return;
    }
    records_store records(default_records_folder());
    records.load();
    // The best run is written before the record that points at it.
    keep_won_run(records, run_, level_path_, s.finish_time - s.play_started, 5 - s.lives);
    // Sent to the record server when the player asked for it; kept in the outbox till then.
    online_ticket_ = game.send_won_run(*this);
}

void play_session::take_ghost_when_ready() {
    if (ghost_future_.valid() &&
        ghost_future_.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
        ghost_ = ghost_future_.get();
        core_->state.best_splits = ghost_->splits;
    }
}

void play_session::wait_for_ghost() {
    if (ghost_future_.valid()) {
        ghost_future_.wait();
    }
    take_ghost_when_ready();
}

std::optional<glm::mat4> play_session::ghost_matrix(double offset) const {
    const game_state& s = core_->state;
    if (!ghost_ || !show_ghost || s.play_started < 0.0) {
        return std::nullopt;
    }
    return ghost_matrix_at(*ghost_, s.clock_time - s.play_started + offset);
}

void play_session::draw(quillomar_game& game, const std::vector<hud_line>& lines, bool darkened,
                        bool with_arrow) {
    frame_renderer& renderer = *game.renderer();
    game.set_fall_map_cells(run_.level_key);
    core_->count_drawn_frame(wall_time_);
    // The world stands at its last tick; the picture is drawn as far past it as the wall clock
    // is, between the tick before and the last, and the world is put back afterwards.
    const float fraction = static_cast<float>(clock_.fraction(wall_time_));
    game_state& s = core_->state;
    const drawn_pose last = pose_of(s);
    const bool blended = has_previous_pose_ && !darkened && !held_since_ &&
                         !(replay_ && replay_->version == 1);
    if (blended) {
        put_pose(s, blend(previous_pose_, last, fraction));
    }
    if (with_arrow) {
        for (const glm::vec3& corner : heading_arrow(s)) {
            renderer.marks.push_back({corner, glm::vec4(0.45f, 0.9f, 1.0f, 0.75f)});
        }
    }
    renderer.darkened = darkened;
    renderer.draw(s, game.width, game.height, lines,
                  ghost_matrix(blended ? (fraction - 1.0) * tick_seconds : 0.0));
    renderer.darkened = false;
    if (blended) {
        put_pose(s, last);
    }
}

void play_session::end(quillomar_game& game) {
    // Time played and cells reached are kept with the next count that is saved, or here.
    if (counts() && run_ticks_ > 0) {
        game.statistics().save();
    }
    if (ghost_cancel_) {
        ghost_cancel_->store(true);
    }
}

}  // namespace quillomar
