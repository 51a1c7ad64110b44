// Laying HUD lines out in the window at the text size in force, so that no line overlaps
// another or runs off the window: the game's own lines along the top, clear of the ball, panels
// stacked and wrapped, and anything still past an edge brought back in or shortened.
#pragma once

#include <string>
#include <vector>

#include "game/hud_lines.h"
#include "game/text_fit.h"

namespace quillomar {

// The window the lines are laid out in, its text size and the font's measures.
struct hud_frame {
    int width = 1024;
    int height = 768;
    float text_scale = 1.0f;
    text_metrics metrics;
};

// One line of a panel: what it says, its colour, and its size (1 for the HUD's font).
struct panel_line {
    std::string text;
    hud_tone tone = hud_tone::plain;
    float size = 1.0f;
};

// The space kept clear along every edge of the window.
int hud_margin(const hud_frame& frame);

// A game started from the title menu keeps the ball in the window's middle clear: of `lines`, the
// first `own` are the game's own HUD (hud_lines). Its counters and clock, and the lines marked
// beside_clock, go side by side along the top, in rows as the width asks, their text made smaller
// (never below the HUD's own size) while they would take more than a fifth of the window's
// height; the centred lines (an end, the countdown) stand under them, then the message. The
// other lines stay as they are, after these.
std::vector<hud_line> clear_of_the_middle(std::vector<hud_line> lines, std::size_t own,
                                          const hud_frame& frame);

// Each line that runs past the window's right or bottom edge moved back in, and shortened
// with "..." when it is wider than the window itself; a line that would cover one before it
// goes below that one, and is left out where there is no room below.
std::vector<hud_line> kept_on_screen(std::vector<hud_line> lines, const hud_frame& frame);

// The panel's lines one under the other, each centred across and wrapped to the window's
// width; the block's middle at `middle_share` of the window's height, moved so that it stays
// inside. A block taller than the window has its text made smaller, never below the HUD's own
// size; one taller still keeps its first lines.
std::vector<hud_line> stacked_panel(const std::vector<panel_line>& panel, const hud_frame& frame,
                                    float middle_share);

// The same lines, each left-aligned at the margin, the block's last line just above the
// window's bottom edge. Where the block would take more than `most_share` of the window's
// height, its text is made smaller, never below the HUD's own size; what still does not fit is
// left out a whole panel line at a time, from the first, so no sentence ends half told.
std::vector<hud_line> stacked_at_bottom(const std::vector<panel_line>& panel,
                                        const hud_frame& frame, float most_share = 1.0f);

}  // namespace quillomar
