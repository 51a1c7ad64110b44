// The shell's replay theatre: the list of replays, and the one being watched with its controls
// (pause, speed, seek on the timeline, a tick forward or back, the camera) and the takeover that
// starts practice. It owns what it plays; the shell hands it the frame's keys and time and asks
// it to draw.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/hud_layout.h"
#include "game/hud_lines.h"
#include "game/replay_theatre.h"

namespace quillomar {

class frame_renderer;
class key_input;

class theatre_mode {
public:
    enum class outcome { stay, close, practice };
    // The cameras a replay can be watched from.
    enum class view { recorded, follow, overview };

    // Opens the list with these replays; `level_for_key` names the level file of a level key
    // (empty when the game has none).
    void open(std::vector<replay_entry> entries,
              std::function<std::string(const std::string&)> level_for_key);
    bool is_open() const { return open_; }
    // A replay is being watched (else the list shows).
    bool watching() const { return theatre_.has_value(); }
    // The level file of the replay watched (empty while none is).
    const std::string& level_path() const { return level_path_; }
    // Whether the replay's HUD speaks to a player of the title menu (its end names the run's
    // time) or keeps the game's own lines.
    void set_player_words(bool on) { player_words_ = on; }
    // A line on the HUD saying why something cannot be done.
    void tell(const std::string& notice) { notice_ = notice; }
    // Back from the replay watched to the list.
    void stop_watching() { theatre_.reset(); }
    // Starts watching `entry`; false, with the reason in the HUD, when it cannot be played.
    bool watch(const replay_entry& entry);

    // The frame's keys and the wall time (seconds, any origin).
    outcome update(key_input& keys, double wall_time);
    // The replay's game as it stands, drawn from the chosen camera with the theatre's HUD.
    void draw(frame_renderer& renderer, int width, int height);
    // The lines of the list, or of the replay being watched, laid out in `frame`.
    std::vector<hud_line> hud_lines(const hud_frame& frame) const;

    // After outcome::practice: the game to go on with, where the practice started and the level
    // file it is on. The theatre closes.
    std::unique_ptr<game_core> take_practice(practice_start& start, std::string& level_path);

    replay_theatre* playing() { return theatre_ ? &*theatre_ : nullptr; }
    const std::vector<replay_entry>& entries() const { return entries_; }
    view camera() const { return view_; }
    // Seeks to the share 0..1 of the run (the timeline bar's place clicked).
    void seek_to_share(double share);
    // The seek keys' step.
    static constexpr double seek_seconds = 5.0;

private:
    bool open_ = false;
    std::vector<replay_entry> entries_;
    std::size_t choice_ = 0;
    std::function<std::string(const std::string&)> level_for_key_;
    std::optional<replay_theatre> theatre_;
    std::string title_;
    std::string level_path_;
    std::string notice_;  // why the last choice could not be watched or taken over
    view view_ = view::recorded;
    std::optional<double> last_wall_;
    bool player_words_ = false;
};

}  // namespace quillomar
