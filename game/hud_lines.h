// The HUD's text lines for a game state: what they say and where they stand.
#pragma once

#include <string>
#include <vector>

#include "game/game_state.h"

namespace quillomar {

// One HUD text line: where its baseline starts, in pixels down from the top, and across from
// the window's left edge or from its centre.
struct hud_line {
    std::string text;
    bool from_left_edge = false;
    int x_pixels = 0;
    int y_pixels = 0;
};

// The lines in drawing order.
std::vector<hud_line> hud_lines(const game_state& state);

}  // namespace quillomar
