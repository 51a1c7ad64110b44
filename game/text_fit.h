// Fitting HUD text into a width: how wide a string draws, and cutting or wrapping it to fit.
// Plain data about the font, filled by the renderer from its glyphs, so layouts can be worked
// out and tested without a context.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace quillomar {

struct text_metrics {
    // How far each ASCII character moves the pen, in pixels at scale 1; 0 for what draws nothing
    // (control codes, and every byte past ASCII).
    std::array<float, 128> advance{};
    // From one baseline to the next, in pixels at scale 1.
    float line_height = 0.0f;
};

// The pen's way across `text` drawn at `scale`.
float text_width(const text_metrics& metrics, const std::string& text, float scale);

// `text` when it fits into `width`; else its longest start that fits with "..." after it, its
// trailing blanks dropped; empty when not even "..." fits.
std::string shorten_to_width(const text_metrics& metrics, const std::string& text, float scale,
                             float width);

// `text` in lines that each fit into `width`, broken at blanks (runs of blanks count as one
// break); a word wider than `width` is cut into pieces that fit, at least one character each.
// No line for a text of blanks only.
std::vector<std::string> wrap_to_width(const text_metrics& metrics, const std::string& text,
                                       float scale, float width);

}  // namespace quillomar
