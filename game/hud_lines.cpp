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

std::string player_message(const std::string& message) {
    static const std::pair<const char*, const char*> words[] = {
        {"Frame time on.", tr_later("Frame time: shown")},
        {"Frame time off.", tr_later("Frame time: hidden")},
        {"Wire frame on.", tr_later("Wire frame: on")},
        {"Wire frame off.", tr_later("Wire frame: off")},
        {"TSQ: Nearest Neighbor.", tr_later("Texture sampling: sharp pixels")},
        {"TSQ: Bilinear.", tr_later("Texture sampling: smooth")},
        {"MMQ: off.", tr_later("Mip-mapping: off")},
        {"MMQ: Nearest Neighbor.", tr_later("Mip-mapping: nearest level")},
        {"MMQ: Linear.", tr_later("Mip-mapping: blended levels")},
        {"Viewfrustum-Culling on.", tr_later("Hiding what the camera cannot see: on")},
        {"Viewfrustum-Culling off.", tr_later("Hiding what the camera cannot see: off")},
        {"Transparency on.", tr_later("Transparency: on")},
        {"Transparency off.", tr_later("Transparency: off")},
    };
    for (const auto& [game_words, players] : words) {
        if (message == game_words) {
            return tr(players);
        }
    }
    return message;
}

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

std::vector<hud_line> hud_lines(const game_state& s, hud_words words) {
    // A game started from the title menu speaks the player's words (the shell asks for them, and
    // its sessions say so in the state).
    const bool player = words == hud_words::player || s.voice != hud_voice::classic;
    const auto said = [player](const char* text) { return player ? tr(text) : std::string(text); };
    std::vector<hud_line> lines;
    if (!s.has_level) {
        lines.push_back({said(tr_later("No level to play")), false, -60, 150});
    } else if (s.won || s.lost) {
        // A replay's end stands clear of the clock's line, under the theatre's own lines.
        const bool replay = s.voice == hud_voice::player_replay;
        const std::string end = replay   ? end_text(s)
                                : s.lost ? said(tr_later("You lost the game"))
                                         : said(tr_later("You finished the game!"));
        lines.push_back({end, false, replay ? -150 : -60, replay ? 300 : 150});
    }
    if (player) {
        // The game's own HUD still counts the last life once the game is lost; a player's
        // shows none left, as the message says.
        const int lives = s.lost ? 0 : s.lives;
        lines.push_back({fill_in(tr("Flips: %1"), to_text(s.change_count)), true, 8, 50});
        lines.push_back({fill_in(tr("Lives: %1"), to_text(lives)), true, 8, 100});
    } else {
        lines.push_back({"Change: " + to_text(s.change_count), true, 8, 50});
        lines.push_back({"Leben: " + to_text(s.lives), true, 8, 100});
    }
    if (s.has_level && s.play_started >= 0.0) {
        const double end = s.won ? s.finish_time : s.clock_time;
        const std::string time = format_run_time(end - s.play_started);
        lines.push_back({player ? fill_in(tr("Time: %1"), time) : "Time: " + time, true, 8, 150});
        if (const std::optional<hud_line> split = current_split(s)) {
            lines.push_back(*split);
        }
    }
    if (s.message.visible) {
        lines.push_back({player ? player_message(s.message.text) : s.message.text, true, 8, 600});
    }
    // Once the game is lost the end message stands alone; the countdown would run negative.
    if (s.dying && !s.lost) {
        std::string countdown = s.countdown_text;
        const std::string counted = "Continue in: ";
        if (player && countdown.rfind(counted, 0) == 0) {
            countdown = fill_in(tr("Continue in: %1"), countdown.substr(counted.size()));
        }
        lines.push_back({countdown, false, -60, 150});
    }
    if (s.display.show_frame_time) {
        lines.push_back({s.fps_text, false, -60, 50});
    }
    return lines;
}

}  // namespace quillomar
