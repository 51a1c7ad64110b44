#include "game/replay_theatre.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "game/hud_lines.h"
#include "game/tick_clock.h"
#include "game/words.h"
#include "level/level_cell.h"
#include "records/records_store.h"

namespace quillomar {
namespace {

// At most a second of the run a call: a stalled frame at 4x lets time go rather than stall.
constexpr int max_frames_an_advance = ticks_per_second;

const char* event_text(event_kind kind) {
    switch (kind) {
        case event_kind::item_picked:
            return "item";
        case event_kind::died:
            return "life lost";
        case event_kind::flip_started:
            return "flip";
        case event_kind::won:
            return "finish";
        case event_kind::lost:
            return "game over";
        default:
            return nullptr;
    }
}

}  // namespace

std::unique_ptr<game_core> fresh_core(const level& loaded, const std::optional<level_cell>& cell) {
    auto core = std::make_unique<game_core>();
    core->use_level(loaded);
    core->init_ball();
    core->init_cameras();
    core->create_physics();
    if (cell) {
        core->state.physics->replace_ball(cell_centre(*cell), start_quarter_turns(loaded));
    }
    return core;
}

std::vector<level_cell> practice_cells(const level& lvl, const level_statistics& counted) {
    std::vector<level_cell> cells;
    for (const level_cell& cell : counted.reached) {
        if (cube_on_cell(lvl.cubes, cell)) {
            cells.push_back(cell);
        }
    }
    return cells;
}

double frame_time(const recording& run, std::size_t index) {
    if (run.version == 2 || index >= run.frames.size()) {
        return tick_time(static_cast<long>(index) + 1);
    }
    return run.frames[index].time;
}

std::unique_ptr<game_core> build_practice(const practice_start& start) {
    std::unique_ptr<game_core> core = fresh_core(start.loaded, start.cell);
    for (std::size_t i = 0; i < start.before.frames.size(); ++i) {
        frame_input input = start.before.frames[i];
        input.time = frame_time(start.before, i);
        core->step(input);
    }
    return core;
}

replay_theatre::replay_theatre(const level& loaded, recording run)
    : loaded_(loaded), run_(std::move(run)) {
    restart();
}

void replay_theatre::restart() {
    core_ = fresh_core(loaded_);
    position_ = 0;
    events_.clear();
    carried_ = 0.0;
}

double replay_theatre::seconds() const {
    if (run_.version == 2 || position_ == 0) {
        return tick_time(static_cast<long>(position_));
    }
    return run_.frames[position_ - 1].time - run_.frames[0].time;
}

double replay_theatre::total_seconds() const {
    if (run_.version == 2 || run_.frames.empty()) {
        return tick_time(static_cast<long>(length()));
    }
    return run_.frames.back().time - run_.frames.front().time;
}

double replay_theatre::run_seconds() const {
    return run_.result ? run_.result->seconds : total_seconds();
}

double replay_theatre::play_seconds() const {
    const game_state& s = core_->state;
    if (s.play_started < 0.0) {
        return 0.0;
    }
    return (s.won ? s.finish_time : s.clock_time) - s.play_started;
}

void replay_theatre::slower() {
    speed_ = std::max(slowest, speed_ / 2.0);
}

void replay_theatre::faster() {
    speed_ = std::min(fastest, speed_ * 2.0);
}

void replay_theatre::step_frame() {
    frame_input input = run_.frames[position_];
    input.time = frame_time(run_, position_);
    const game_events happened = core_->step(input);
    const game_state& s = core_->state;
    for (const game_event& e : happened) {
        if (const char* text = event_text(e.kind)) {
            const double play = s.play_started < 0.0 ? 0.0 : input.time - s.play_started;
            events_.push_back({position_, play, text});
        }
    }
    ++position_;
}

int replay_theatre::advance(double wall_seconds) {
    if (paused_) {
        return 0;
    }
    carried_ += wall_seconds * speed_;
    int stepped = 0;
    while (position_ < length()) {
        const double gap =
            position_ > 0 ? frame_time(run_, position_) - frame_time(run_, position_ - 1)
            : run_.version == 2 ? tick_seconds
                                : 0.0;
        if (gap > carried_ + 1e-9) {
            return stepped;
        }
        carried_ -= gap;
        step_frame();
        if (++stepped == max_frames_an_advance) {
            break;
        }
    }
    carried_ = 0.0;
    return stepped;
}

void replay_theatre::step() {
    if (position_ < length()) {
        step_frame();
    }
}

void replay_theatre::seek(std::size_t frame) {
    frame = std::min(frame, length());
    if (frame < position_) {
        restart();
    }
    while (position_ < frame) {
        step_frame();
    }
    carried_ = 0.0;
}

std::unique_ptr<game_core> replay_theatre::take_over(practice_start& start) {
    start.loaded = loaded_;
    start.cell.reset();
    start.before = recording();
    start.before.level_key = run_.level_key;
    start.before.frames.assign(run_.frames.begin(),
                               run_.frames.begin() + static_cast<std::ptrdiff_t>(position_));
    std::unique_ptr<game_core> taken = std::move(core_);
    restart();
    return taken;
}

std::vector<replay_entry> list_replays(
    const std::string& records_folder, const std::string& recordings_folder,
    const std::vector<std::pair<std::string, std::string>>& names_by_key) {
    namespace fs = std::filesystem;
    // At most this many of each kind: the list is for choosing, not for archives.
    constexpr std::size_t most = 1000;
    const auto files_in = [](const std::string& folder, bool replays_only) {
        std::vector<fs::path> found;
        std::error_code error;
        if (folder.empty() || !fs::is_directory(folder, error)) {
            return found;
        }
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            const fs::path& p = it->path();
            if (it->is_regular_file(error) && (!replays_only || p.extension() == ".replay")) {
                found.push_back(p);
            }
            if (found.size() == most) {
                break;
            }
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    std::vector<replay_entry> entries;
    for (const fs::path& p : files_in(records_folder, true)) {
        const std::string key = p.stem().string();
        std::string title = key;
        for (const auto& [known, name] : names_by_key) {
            if (known == key) {
                title = fs::path(name).filename().string();
            }
        }
        replay_entry best;
        best.path = p.string();
        best.title = "Best run: " + title;
        best.best_run = true;
        entries.push_back(std::move(best));
    }
    for (const fs::path& p : files_in(recordings_folder, false)) {
        replay_entry recorded;
        recorded.path = p.string();
        recorded.title = p.filename().string();
        entries.push_back(std::move(recorded));
    }
    return entries;
}

void sort_replays(std::vector<replay_entry>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const replay_entry& a, const replay_entry& b) {
        if (a.written != b.written) {
            return a.written > b.written;
        }
        if (a.title != b.title) {
            return a.title < b.title;
        }
        return a.path < b.path;
    });
}

std::string replay_details(const replay_entry& entry) {
    // A recording that is not a best run does not say its time without being played.
    std::string text = entry.seconds ? format_run_time(*entry.seconds) : tr("recording");
    if (!entry.medal.empty()) {
        text += " " + entry.medal;
    }
    if (!entry.date.empty()) {
        text += ", " + entry.date;
    }
    return text;
}

std::string level_file_for_key(const std::string& key, const std::vector<std::string>& candidates) {
    for (const std::string& path : candidates) {
        if (!key.empty() && level_key_of_file(path) == key) {
            return path;
        }
    }
    return {};
}

std::string dated_recording_path(const std::string& folder, int year, int month, int day,
                                 int hour, int minute, int second) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d_%02d-%02d-%02d", year, month, day, hour,
                  minute, second);
    std::string path = folder + "/" + stamp + ".replay";
    std::error_code error;
    for (int n = 2; n < 1000 && std::filesystem::exists(path, error); ++n) {
        path = folder + "/" + stamp + "-" + std::to_string(n) + ".replay";
    }
    return path;
}

}  // namespace quillomar
