// HUD text: the printable ASCII glyphs of the game's font, then its Latin-1 letters (the
// player's words in German and French), packed into one single-channel atlas, drawn as blended
// quads in clip space.
#pragma once

#include <GL/glew.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <string>

#include "game/hud_lines.h"
#include "game/text_fit.h"
#include "render/shader_program.h"

namespace quillomar {

// Metrics of one rasterised glyph, in pixels unless noted.
struct glyph_info {
    float advance_x = 0.0f;
    float advance_y = 0.0f;  // 0 for horizontal fonts
    float bitmap_width = 0.0f;
    float bitmap_rows = 0.0f;
    float bitmap_left = 0.0f;  // pen position to the bitmap's left edge
    float bitmap_top = 0.0f;   // baseline up to the bitmap's top edge
    float atlas_x = 0.0f;      // the bitmap's left edge in the atlas, as a fraction of its width
};

// Indexed by character code (Latin-1). Codes 0 to 31, 128 to 159 and glyphs that failed to load
// stay all zero, so they neither draw nor advance. Filled by text_renderer::setup.
extern std::array<glyph_info, 256> glyph_table;

struct text_renderer {
    // A string draws at most this many glyph quads; the rest of it is cut off.
    static constexpr int max_vertices = 1000;
    static constexpr int max_glyphs = max_vertices / 6;

    GLuint atlas_texture = 0;
    GLuint vertex_buffer = 0;
    GLuint vertex_array = 0;
    shader_program text_shader;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::string font_bytes;  // the face's file, which FreeType reads in place
    GLint atlas_width = 0;      // all loaded glyph bitmaps side by side
    GLint atlas_height = 0;     // the tallest glyph bitmap
    int last_vertex_count = 0;  // vertices drawn by the latest render_text
    // The loaded glyphs' advances and the face's line height, for laying text out; all zero
    // but the line height when no font loaded.
    text_metrics metrics;

    text_renderer() = default;
    text_renderer(const text_renderer&) = delete;
    text_renderer& operator=(const text_renderer&) = delete;
    // Releases the font and the GL objects; the context must be current.
    ~text_renderer();

    // Loads the font at 32 pixels, builds the atlas and the quad buffer and fills glyph_table.
    // A missing font prints one line and leaves the atlas empty, so every string draws nothing.
    void setup();
    // Builds the text program, unless it is built already; setup calls it.
    void create_program();

    // Draws `text` (NUL-terminated) with its baseline starting at (x, y) in clip coordinates;
    // `sx`, `sy` are the size of one pixel in clip units. The text is UTF-8: characters past
    // the table and bytes that are no character are skipped, and glyphs beyond max_glyphs are
    // cut off. The glyphs get a dark outline two pixels wide and the
    // tone's colour. `scale` enlarges the glyphs, their advances and the outline about the pen's
    // start. Uses texture unit 15 and blends.
    void render_text(const char* text, float x, float y, float sx, float sy,
                     hud_tone tone = hud_tone::plain, float scale = 1.0f);

private:
    void release_font();
};

}  // namespace quillomar
