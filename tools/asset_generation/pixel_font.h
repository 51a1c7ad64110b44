// A blocky 5 x 7 font for the lettering painted into the generated pictures. Drawn from these
// rows rather than from a font file, the letters come out the same on every machine.
#pragma once

#include <cmath>
#include <string>

namespace quillomar::tools {

inline constexpr int glyph_columns = 5;
inline constexpr int glyph_rows = 7;

// Rows top to bottom, '#' for a filled block. Only the letters the pictures use are drawn;
// anything else is a blank.
inline const char* const* glyph_rows_of(char letter) {
    static const char* const s[] = {".####", "#....", "#....", ".###.", "....#", "....#", "####."};
    static const char* const t[] = {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."};
    static const char* const a[] = {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"};
    static const char* const r[] = {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"};
    static const char* const f[] = {"#####", "#....", "#....", "####.", "#....", "#....", "#...."};
    static const char* const i[] = {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."};
    static const char* const n[] = {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"};
    static const char* const h[] = {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"};
    switch (letter) {
        case 'S':
            return s;
        case 'T':
            return t;
        case 'A':
            return a;
        case 'R':
            return r;
        case 'F':
            return f;
        case 'I':
            return i;
        case 'N':
            return n;
        case 'H':
            return h;
        default:
            return nullptr;
    }
}

// Block columns that `text` takes: five per letter and one between letters.
inline int text_columns(const std::string& text) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * (glyph_columns + 1) - 1;
}

// Whether the point (x, y) lies in a filled block of `text` laid out with its top-left corner at
// the origin and blocks of `block` units.
inline bool text_covers(const std::string& text, double block, double x, double y) {
    if (x < 0.0 || y < 0.0) {
        return false;
    }
    const int column = static_cast<int>(std::floor(x / block));
    const int row = static_cast<int>(std::floor(y / block));
    if (row >= glyph_rows || column >= text_columns(text)) {
        return false;
    }
    const int letter = column / (glyph_columns + 1);
    const int within = column % (glyph_columns + 1);
    if (within == glyph_columns) {
        return false;
    }
    const char* const* rows = glyph_rows_of(text[static_cast<std::size_t>(letter)]);
    return rows != nullptr && rows[row][within] == '#';
}

}  // namespace quillomar::tools
