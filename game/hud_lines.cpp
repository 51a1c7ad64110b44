#include "game/hud_lines.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <cstdio>

#include "game/to_text.h"
#include "game/words.h"

namespace quillomar {
namespace {

// A split stays on screen this long after its pick-up; the finish split stays.
constexpr double split_seconds = 3.0;

// The split the HUD shows now, if any: the finish once won, else the latest pick-up's.
// The game's own split stands beside the clock; a player's has a line of its own under it.
hud_line split_for(const game_state& s, double seconds, double best_seconds) {
    if (s.voice == hud_voice::classic) {
        return split_line(seconds, best_seconds);
    }
    const double difference = seconds - best_seconds;
    return {split_text(seconds, best_seconds), true, 8, 250,
            difference <= 0.0 ? hud_tone::ahead : hud_tone::behind};
}

std::optional<hud_line> current_split(const game_state& s) {
    const run_splits& mine = s.splits;
    const run_splits& best = s.best_splits;
    if (s.won) {
        if (mine.finish >= 0.0 && best.finish > 0.0) {
            return split_for(s, mine.finish, best.finish);
        }
        return std::nullopt;
    }
    const std::size_t k = mine.items.size();
    if (k == 0 || k > best.items.size() ||
        s.clock_time - s.play_started - mine.items[k - 1] >= split_seconds) {
        return std::nullopt;
    }
    return split_for(s, mine.items[k - 1], best.items[k - 1]);
}

// The game's own HUD name the end; a replay watched from the title menu ends on the run's time.
std::string end_text(const game_state& s) {
    if (s.voice != hud_voice::player_replay) {
        return s.lost ? "You lost the game" : "You finished the game!";
    }
    if (s.lost) {
        return tr("Replay finished: the run was lost");
    }
    return tr("Replay finished") + "  " + format_run_time(s.finish_time - s.play_started);
}

}  // namespace

std::string format_run_time(double seconds) {
    // Whole hundredths first, so 59.999 reads 1:00.00 and not 0:60.00.
    const long long hundredths =
        seconds > 0.0 ? static_cast<long long>(std::floor(std::min(seconds, 1e9) * 100.0)) : 0;
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld.%02lld", hundredths / 6000,
                  hundredths / 100 % 60, hundredths % 100);
    return text;
}

std::string split_text(double seconds, double best_seconds) {
    const hud_line line = split_line(seconds, best_seconds);
    return line.text + " " + (line.tone == hud_tone::ahead ? tr("ahead") : tr("behind"));
}

hud_line split_line(double seconds, double best_seconds) {
    const double difference = seconds - best_seconds;
    const long long hundredths = std::llround(std::fabs(std::min(difference, 1e9)) * 100.0);
    char text[48];
    std::snprintf(text, sizeof text, "%c%lld.%02lld", difference <= 0.0 ? '-' : '+',
                  hundredths / 100, hundredths % 100);
    return {text, true, 240, 150, difference <= 0.0 ? hud_tone::ahead : hud_tone::behind};
}

std::vector<hud_line> hud_lines(const game_state& s) {
    std::vector<hud_line> lines;
    if (!s.has_level) {
        lines.push_back({"No level to play", false, -60, 150});
    } else if (s.won || s.lost) {
        // A replay's end stands clear of the clock's line, under the theatre's own lines.
        const bool replay = s.voice == hud_voice::player_replay;
        lines.push_back({end_text(s), false, replay ? -150 : -60, replay ? 300 : 150});
    }
    // The game's own HUD still counts the last life once the game is lost; a player's shows
    // none left, as the message says.
    const int lives = s.voice != hud_voice::classic && s.lost ? 0 : s.lives;
    lines.push_back({"Change: " + to_text(s.change_count), true, 8, 50});
    lines.push_back({"Leben: " + to_text(lives), true, 8, 100});
    if (s.has_level && s.play_started >= 0.0) {
        const double end = s.won ? s.finish_time : s.clock_time;
        lines.push_back({"Time: " + format_run_time(end - s.play_started), true, 8, 150});
        if (const std::optional<hud_line> split = current_split(s)) {
            lines.push_back(*split);
        }
    }
    if (s.message.visible) {
        lines.push_back({s.message.text, true, 8, 600});
    }
    // Once the game is lost the end message stands alone; the countdown would run negative.
    if (s.dying && !s.lost) {
        lines.push_back({s.countdown_text, false, -60, 150});
    }
    if (s.display.show_frame_time) {
        lines.push_back({s.fps_text, false, -60, 50});
    }
    return lines;
}

}  // namespace quillomar
