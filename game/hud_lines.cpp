#include "game/hud_lines.h"

#include "game/to_text.h"

namespace quillomar {

std::vector<hud_line> hud_lines(const game_state& s) {
    std::vector<hud_line> lines;
    if (!s.has_level) {
        lines.push_back({"No level to play", false, -60, 150});
    } else if (s.won || s.lost) {
        lines.push_back({s.lost ? "You lost the game" : "You finished the game!", false, -60, 150});
    }
    lines.push_back({"Change: " + to_text(s.change_count), true, 8, 50});
    lines.push_back({"Leben: " + to_text(s.lives), true, 8, 100});
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
