#include "shell/theatre_mode.h"

#include "game/words.h"

#include "game/menu.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "camera/camera_math.h"
#include "framework/key_map.h"
#include "game/tick_clock.h"
#include "game/words.h"
#include "render/frame_renderer.h"

namespace quillomar {
namespace {

constexpr int bar_cells = 40;

std::string speed_text(double speed) {
    return speed == 0.25 ? "0.25x" : speed == 0.5 ? "0.5x" : std::to_string(int(speed)) + "x";
}

std::string view_name(theatre_mode::view v) {
    switch (v) {
        case theatre_mode::view::follow:
            return tr("follow camera");
        case theatre_mode::view::overview:
            return tr("overview");
        default:
            return tr("recorded camera");
    }
}

}  // namespace

void theatre_mode::open(std::vector<replay_entry> entries,
                        std::function<std::string(const std::string&)> level_for_key) {
    open_ = true;
    entries_ = std::move(entries);
    level_for_key_ = std::move(level_for_key);
    choice_ = std::min(choice_, entries_.empty() ? 0 : entries_.size() - 1);
    theatre_.reset();
    notice_.clear();
    last_wall_.reset();
}

bool theatre_mode::watch(const replay_entry& entry) {
    std::optional<recording> run = load_recording(entry.path);
    if (!run) {
        notice_ = tr("That replay cannot be read.");
        return false;
    }
    const std::string path = level_for_key_ ? level_for_key_(run->level_key) : std::string();
    game_core reader;
    if (path.empty() || !reader.read_level(path)) {
        notice_ = tr("The level of that replay is not here.");
        std::cout << "Replay " << entry.path << ": no level file here has its level." << std::endl;
        return false;
    }
    reader.place_items();
    reader.place_enemies();
    theatre_.emplace(reader.state.level, std::move(*run));
    title_ = entry.title;
    level_path_ = path;
    notice_.clear();
    last_wall_.reset();
    return true;
}

void theatre_mode::seek_to_share(double share) {
    if (theatre_) {
        const double frames = std::clamp(share, 0.0, 1.0) * static_cast<double>(theatre_->length());
        theatre_->seek(static_cast<std::size_t>(std::lround(frames)));
    }
}

theatre_mode::outcome theatre_mode::update(key_input& keys, double wall_time) {
    // Every action is taken each frame, so nothing pressed for another mode piles up here.
    const int up = keys.take(window_action::list_up);
    const int down = keys.take(window_action::list_down);
    const int confirm = keys.take(window_action::confirm);
    const int close = keys.take(window_action::theatre);
    const int practice = keys.take(window_action::practice);
    const int pause = keys.take(window_action::replay_pause);
    const int slower = keys.take(window_action::slower);
    const int faster = keys.take(window_action::faster);
    const int back = keys.take(window_action::left);
    const int ahead = keys.take(window_action::right);
    const int step = keys.take(window_action::step_forward);
    const int step_back = keys.take(window_action::step_back);
    const int camera = keys.take(window_action::switch_camera);
    const double wall_seconds = last_wall_ ? std::max(0.0, wall_time - *last_wall_) : 0.0;
    last_wall_ = wall_time;
    if (!theatre_) {
        if (close > 0) {
            open_ = false;
            return outcome::close;
        }
        if (!entries_.empty()) {
            const long last = static_cast<long>(entries_.size()) - 1;
            choice_ = static_cast<std::size_t>(
                std::clamp(static_cast<long>(choice_) - up + down, 0L, last));
            if (confirm > 0) {
                watch(entries_[choice_]);
            }
        }
        return outcome::stay;
    }
    replay_theatre& t = *theatre_;
    if (close > 0) {
        theatre_.reset();
        return outcome::stay;
    }
    if (pause % 2 == 1) {
        t.set_paused(!t.paused());
    }
    for (int n = 0; n < slower; ++n) {
        t.slower();
    }
    for (int n = 0; n < faster; ++n) {
        t.faster();
    }
    view_ = static_cast<view>((static_cast<int>(view_) + camera) % 3);
    const long seek_frames = static_cast<long>(seek_seconds * ticks_per_second) * (ahead - back);
    if (seek_frames != 0) {
        t.seek(static_cast<std::size_t>(std::max(0L, static_cast<long>(t.position()) + seek_frames)));
    }
    if (step > 0 || step_back > 0) {
        t.set_paused(true);
        t.seek(static_cast<std::size_t>(
            std::max(0L, static_cast<long>(t.position()) + step - step_back)));
    }
    t.advance(wall_seconds);
    if (practice > 0) {
        if (t.can_take_over()) {
            return outcome::practice;
        }
        notice_ = tr("A recording made before the game ticked can be watched, not taken over.");
    }
    return outcome::stay;
}

std::unique_ptr<game_core> theatre_mode::take_practice(practice_start& start,
                                                       std::string& level_path) {
    std::unique_ptr<game_core> core = theatre_->take_over(start);
    level_path = level_path_;
    theatre_.reset();
    open_ = false;
    return core;
}

std::vector<hud_line> theatre_mode::hud_lines(const hud_frame& frame) const {
    std::vector<hud_line> lines;
    if (!theatre_) {
        // The list is a page of the menus' own layout, which scrolls and shortens to fit.
        menu_page page{tr("Replays"), {}};
        for (const replay_entry& e : entries_) {
            page.entries.push_back({e.title, menu_action::none, -1, {replay_details(e)}, 0, "", ""});
        }
        if (page.entries.empty()) {
            menu_entry none;
            none.label = tr("none yet");
            page.entries.push_back(none);
        }
        menu shown({page});
        shown.point_at(choice_);
        menu_screen screen = page_screen(frame);
        screen.note = notice_.empty() ? (entries_.empty() ? tr("T or Escape closes")
                                                          : tr("Newest first.") + " " +
                                                                tr("Enter watches, T or Escape closes"))
                                      : notice_;
        if (notice_.empty() && choice_ < entries_.size()) {
            // The chosen run in full, where a small window shortens its row.
            const replay_entry& chosen = entries_[choice_];
            screen.note = chosen.title + ": " + replay_details(chosen) + ". " + screen.note;
        }
        return lay_out_menu(shown, screen, frame.metrics).lines;
    }
    const replay_theatre& t = *theatre_;
    // The bar runs over the run's own time of play and is full once the run has ended, however
    // many ticks the recording goes on after it.
    const game_state& played = t.core().state;
    const bool ended = played.won || played.lost || t.position() == t.length();
    const double now = t.play_seconds();
    const double whole = ended ? now : std::max(t.run_seconds(), now);
    const double share = whole <= 0.0 ? (ended ? 1.0 : 0.0) : std::clamp(now / whole, 0.0, 1.0);
    const int filled = static_cast<int>(share * bar_cells);
    const std::string bar = "[" + std::string(filled, '|') + std::string(bar_cells - filled, '.') +
                            "] " + format_run_time(now) + " / " + format_run_time(whole);
    // The keys at the top, the latest events (newest last) under them, and the replay's name,
    // position and speed at the bottom.
    std::vector<panel_line> top = {
        {tr("Space pause  -/+ speed  Left/Right seek  ,/. tick  C camera  P practice  T list"),
         hud_tone::dim, 0.7f}};
    if (!notice_.empty()) {
        top.push_back({notice_});
    }
    const std::vector<theatre_event>& events = t.events();
    const std::size_t from = events.size() - std::min<std::size_t>(events.size(), 4);
    for (std::size_t i = from; i < events.size(); ++i) {
        top.push_back({format_run_time(events[i].play_seconds) + "  " + events[i].text,
                       hud_tone::plain, 0.8f});
    }
    lines = stacked_panel(top, frame, 0.0f);
    const std::vector<hud_line> bottom = stacked_at_bottom(
        {{fill_in(tr("Replay: %1"), title_)},
         {bar, hud_tone::plain, 0.8f},
         {(t.paused() ? tr("Paused") : tr("Playing")) + "  " + speed_text(t.speed()) + "  " +
          view_name(view_)}},
        frame);
    lines.insert(lines.end(), bottom.begin(), bottom.end());
    return lines;
}

void theatre_mode::draw(frame_renderer& renderer, int width, int height) {
    if (!theatre_) {
        return;
    }
    game_core& core = theatre_->core();
    core.state.voice = player_words_ ? hud_voice::player_replay : hud_voice::classic;
    core.set_aspect(static_cast<float>(width) / static_cast<float>(height));
    game_state& s = core.state;
    // Another camera only for this picture: the replay's own state is put back after drawing.
    const glm::mat4 view_kept = s.view;
    const glm::mat4 projection_kept = s.projection;
    const glm::vec3 eye_kept = s.cam_pos;
    const view_frustum frustum_kept = s.frustum;
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    if (view_ == view::follow) {
        s.view = s.follow_camera.view;
        s.projection = s.follow_camera.projection;
        s.cam_pos = s.follow_camera.position;
        s.frustum.set_camera(s.cam_pos, s.ball.position, s.follow_camera.up);
    } else if (view_ == view::overview) {
        const float extent = std::max(std::max(s.level.centre.x, s.level.centre.z), 10.0f);
        const glm::vec3 eye(s.level.centre.x, 20.0f + 1.5f * extent, s.level.centre.z + extent);
        const glm::vec3 target = glm::mix(glm::vec3(s.level.centre.x, 0.0f, s.level.centre.z),
                                          s.ball.position, 0.5f);
        if (try_look_at(eye, target, up, s.view)) {
            const float far_plane = 6.0f * extent + 100.0f;
            s.projection = perspective(s.follow_camera.fov, s.follow_camera.aspect,
                                       s.follow_camera.near_plane, far_plane);
            s.cam_pos = eye;
            s.frustum.set_internals(s.follow_camera.fov, s.follow_camera.aspect,
                                    s.follow_camera.near_plane, far_plane);
            s.frustum.set_camera(eye, target, up);
        }
    }
    renderer.draw(s, width, height,
                  hud_lines({width, height, renderer.text_scale, renderer.hud_metrics()}));
    s.view = view_kept;
    s.projection = projection_kept;
    s.cam_pos = eye_kept;
    s.frustum = frustum_kept;
}

}  // namespace quillomar
