// The HUD's text lines for a game state: what they say and where they stand.
#pragma once

#include <string>
#include <vector>

#include "game/game_state.h"

namespace quillomar {

// How a line is coloured: the HUD's own colour, or a split ahead of (green) or behind (red) the
// best run; in the menus the chosen entry, the row under the pointer, an entry that cannot be
// chosen, a page's title; and the colours of the medals a time earns.
enum class hud_tone {
    plain,
    ahead,
    behind,
    chosen,
    hover,
    dim,
    title,
    author,
    gold,
    silver,
    bronze,
};

// One HUD text line: where its baseline starts, in pixels down from the top, and across from
// the window's left edge or from its centre; and its size, 1 for the HUD's 32-pixel font.
struct hud_line {
    std::string text;
    bool from_left_edge = false;
    int x_pixels = 0;
    int y_pixels = 0;
    hud_tone tone = hud_tone::plain;
    float scale = 1.0f;
};

// The lines in drawing order.
std::vector<hud_line> hud_lines(const game_state& state);

// A time of play as minutes, seconds and hundredths: "1:02.35". Negative times read as 0.
std::string format_run_time(double seconds);

// A split as a player reads it: "-0.45 ahead", "+1.20 behind", the words in the player's language.
std::string split_text(double seconds, double best_seconds);

// A split against the best run: "-0.45" ahead, "+1.20" behind, in seconds and hundredths; a tie
// counts as ahead.
hud_line split_line(double seconds, double best_seconds);

}  // namespace quillomar
