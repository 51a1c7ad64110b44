// Fitting HUD text into a width: how wide a string draws, and cutting or wrapping it to fit.
// Plain data about the font, filled by the renderer from its glyphs, so layouts can be worked
// out and tested without a context.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace quillomar {

struct text_metrics {
    // How far each character moves the pen, in pixels at scale 1, by its code (ASCII and the
    // Latin-1 letters of German and French); 0 for what draws nothing (control codes, and every
    // character past the table).
    std::array<float, 256> advance{};
    // From one baseline to the next, in pixels at scale 1.
    float line_height = 0.0f;
};

// One character of UTF-8 text: its code, and how many bytes it takes. A byte that begins no
// well-formed character counts as one character of code 0xFFFD, which draws nothing.
struct text_char {
    unsigned code = 0;
    std::size_t bytes = 1;
};
text_char char_at(std::string_view text, std::size_t at);

// The pen's way across `text` (UTF-8) drawn at `scale`.
float text_width(const text_metrics& metrics, const std::string& text, float scale);

// `text` when it fits into `width`; else its longest start that fits with "..." after it, its
// trailing blanks dropped; empty when not even "..." fits.
std::string shorten_to_width(const text_metrics& metrics, const std::string& text, float scale,
                             float width);

// `text` in lines that each fit into `width`, broken at blanks (runs of blanks count as one
// break); a word wider than `width` is cut into pieces that fit, at least one character each, never
// inside a character.
// No line for a text of blanks only.
std::vector<std::string> wrap_to_width(const text_metrics& metrics, const std::string& text,
                                       float scale, float width);

}  // namespace quillomar
