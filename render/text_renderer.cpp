#include "render/text_renderer.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <glm/glm.hpp>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "framework/asset_paths.h"
#include "framework/bounded_read.h"
#include "framework/qlmFramework.h"
#include "render/gl_handle.h"
#include "render/shader_constants.h"
#include "render/gl_platform.h"
#include "render/system_font.h"

namespace quillomar {

std::array<glyph_info, 256> glyph_table{};

namespace {

// A corner of a glyph quad: clip position and atlas coordinate, then the glyph's own bitmap in
// the atlas (s0, t0, s1, t1), which bounds where the outline's moved copies may look.
struct text_vertex {
    glm::vec4 coord;
    glm::vec4 glyph;
};

constexpr FT_UInt pixel_height = 32;
// Far above any text face; the limit keeps a wrong file from filling the memory.
constexpr std::size_t max_font_bytes = std::size_t{32} << 20;
constexpr unsigned char first_char = 32;
constexpr unsigned char last_char = 127;
// The Latin-1 letters and signs, after ASCII in the atlas, so ASCII's glyphs keep their places.
constexpr unsigned first_latin1 = 160;
constexpr unsigned last_latin1 = 255;

// The characters of the atlas in their order there.
const std::vector<unsigned>& atlas_chars() {
    static const std::vector<unsigned> chars = [] {
        std::vector<unsigned> all;
        for (unsigned c = first_char; c <= last_char; ++c) {
            all.push_back(c);
        }
        for (unsigned c = first_latin1; c <= last_latin1; ++c) {
            all.push_back(c);
        }
        return all;
    }();
    return chars;
}

// Reads the font file into `bytes` and opens its face from there; on failure says why and leaves
// `face` null.
bool open_face(FT_Library library, const std::string& path, std::string& bytes, FT_Face& face,
               std::string& why) {
    face = nullptr;
    const bounded_read read = read_bounded(path, max_font_bytes, bytes);
    if (!read.ok() || read.truncated) {
        why = describe_problem(path, read, max_font_bytes);
        return false;
    }
    if (FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(bytes.data()),
                           static_cast<FT_Long>(bytes.size()), 0, &face) != 0) {
        face = nullptr;
        why = "Font file " + path + " is not a font FreeType can read.";
        return false;
    }
    return true;
}

glm::vec3 tone_colour(hud_tone tone) {
    switch (tone) {
        case hud_tone::ahead:
            return {0.45f, 1.0f, 0.45f};
        case hud_tone::behind:
            return {1.0f, 0.45f, 0.4f};
        case hud_tone::chosen:
            return {0.45f, 0.85f, 1.0f};
        case hud_tone::hover:
            return {1.0f, 1.0f, 1.0f};
        case hud_tone::dim:
            return {0.58f, 0.55f, 0.5f};
        case hud_tone::title:
            return {1.0f, 0.7f, 0.25f};
        case hud_tone::author:
            return {0.8f, 0.55f, 1.0f};
        case hud_tone::gold:
            return {1.0f, 0.84f, 0.0f};
        case hud_tone::silver:
            return {0.8f, 0.82f, 0.88f};
        case hud_tone::bronze:
            return {0.87f, 0.55f, 0.3f};
        case hud_tone::plain:
            break;
    }
    return {1.0f, 0.92f, 0.62f};
}

}  // namespace

text_renderer::~text_renderer() {
    release_font();
    release_gl_names(gl_kind::texture, {&atlas_texture});
    release_gl_names(gl_kind::buffer, {&vertex_buffer});
    release_gl_names(gl_kind::vertex_array, {&vertex_array});
}

void text_renderer::release_font() {
    if (face != nullptr) {
        FT_Done_Face(face);
        face = nullptr;
    }
    if (library != nullptr) {
        FT_Done_FreeType(library);
        library = nullptr;
    }
}

void text_renderer::setup() {
    release_font();
    // The table is shared; a font that fails now must not leave another load's metrics behind.
    glyph_table.fill(glyph_info{});

    if (FT_Init_FreeType(&library) != 0) {
        library = nullptr;
        std::cout << "freetype failed!" << std::endl;
    }
    // The font is read like any file the game did not write (a FIFO there must not hang the
    // start), and FreeType reads the face from memory, which must outlive the face. Without it
    // the HUD takes the system's serif face rather than showing no text at all.
    const std::string path = platform_path(assets::font_file);
    std::string why;
    if (library != nullptr && open_face(library, path, font_bytes, face, why)) {
        std::cout << "font loaded!" << std::endl;
    } else {
        std::cout << "font loading failed!" << std::endl;
        const std::string fallback = library != nullptr ? system_serif_file() : std::string();
        std::string ignored;
        if (!fallback.empty() && open_face(library, fallback, font_bytes, face, ignored)) {
            if (!why.empty() && why.back() == '.') {
                why.pop_back();
            }
            std::cout << why << "; the HUD uses " << fallback << " instead." << std::endl;
        } else {
            std::cout << why << std::endl;
        }
    }
    if (face != nullptr) {
        FT_Set_Pixel_Sizes(face, 0, pixel_height);
    }

    create_program();

    // Without a face every glyph would fail; the one line above already says why.
    atlas_width = 0;
    int height = 0;
    if (face != nullptr) {
        for (const unsigned c : atlas_chars()) {
            if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) {
                if (c <= last_char) {
                    std::fprintf(stderr, "Loading character %c failed!\n", static_cast<int>(c));
                }
                continue;
            }
            atlas_width += static_cast<GLint>(face->glyph->bitmap.width);
            height = std::max(height, static_cast<int>(face->glyph->bitmap.rows));
        }
    }
    atlas_height = height;

    glGenVertexArrays(1, &vertex_array);
    glBindVertexArray(vertex_array);
    glGenBuffers(1, &vertex_buffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 0, nullptr);

    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(texture_unit::scratch));
    glGenTextures(1, &atlas_texture);
    glBindTexture(GL_TEXTURE_2D, atlas_texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Glyph rows are byte-packed; the rest of the game relies on this alignment staying 1.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, single_channel_format(), atlas_width, atlas_height, 0, GL_RED,
                 GL_UNSIGNED_BYTE, nullptr);

    if (face != nullptr) {
        int x = 0;
        for (const unsigned c : atlas_chars()) {
            if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) {
                continue;
            }
            const FT_GlyphSlot glyph = face->glyph;
            const int width = static_cast<int>(glyph->bitmap.width);
            const int rows = static_cast<int>(glyph->bitmap.rows);
            if (width > 0 && rows > 0) {
                glTexSubImage2D(GL_TEXTURE_2D, 0, x, 0, width, rows, GL_RED, GL_UNSIGNED_BYTE,
                                glyph->bitmap.buffer);
            }
            glyph_info& info = glyph_table[c];
            info.advance_x = static_cast<float>(glyph->advance.x >> 6);
            info.advance_y = static_cast<float>(glyph->advance.y >> 6);
            info.bitmap_width = static_cast<float>(width);
            info.bitmap_rows = static_cast<float>(rows);
            info.bitmap_left = static_cast<float>(glyph->bitmap_left);
            info.bitmap_top = static_cast<float>(glyph->bitmap_top);
            info.atlas_x = atlas_width > 0 ? static_cast<float>(x) / atlas_width : 0.0f;
            x += width;
        }
    }

    metrics = text_metrics{};
    for (std::size_t c = 0; c < metrics.advance.size(); ++c) {
        metrics.advance[c] = glyph_table[c].advance_x;
    }
    // Without a face, layouts still get rows of the font's size.
    metrics.line_height = face != nullptr && face->size->metrics.height > 0
                              ? static_cast<float>(face->size->metrics.height >> 6)
                              : static_cast<float>(pixel_height);

    glBindTexture(GL_TEXTURE_2D, 0);
    std::cout << "finished loading" << std::endl;
    QLM_CHECK_GL();
}

void text_renderer::create_program() {
    if (text_shader.program == 0) {
        text_shader = shader_program(assets::text_vertex_shader, assets::text_fragment_shader);
    }
}

void text_renderer::render_text(const char* text, float x, float y, float sx, float sy,
                                hud_tone tone, float scale) {
    QLM_CHECK_GL();
    glBindVertexArray(vertex_array);
    QLM_CHECK_GL();
    glBindBuffer(GL_ARRAY_BUFFER, vertex_buffer);
    QLM_CHECK_GL();
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    QLM_CHECK_GL();

    glUseProgram(text_shader.program);
    glUniform1i(glGetUniformLocation(text_shader.program, "tex"), texture_unit::scratch);
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(texture_unit::scratch));
    glBindTexture(GL_TEXTURE_2D, atlas_texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // Enlarged text gets a somewhat wider outline, never thinner than at scale 1; much wider
    // would show the offset copies as separate rims.
    const float ring = std::clamp(scale, 1.0f, 1.5f);
    const float pixel_x = sx;
    const float pixel_y = sy;
    sx *= scale;
    sy *= scale;
    // The outline reaches two offset units beyond each glyph's quad, in clip and atlas units.
    const float reach_x = 2.0f * ring * pixel_x;
    const float reach_y = 2.0f * ring * pixel_y;
    const float atlas_w = static_cast<float>(std::max(atlas_width, 1));
    const float atlas_h = static_cast<float>(std::max(atlas_height, 1));
    const glm::vec2 step(ring / (scale * atlas_w), -ring / (scale * atlas_h));

    // The outline's grown quads first, then the glyphs' own.
    std::vector<text_vertex> outline;
    std::vector<text_vertex> glyphs;
    const std::string_view bytes = text != nullptr ? text : "";
    for (std::size_t at = 0; at < bytes.size();) {
        const text_char c = char_at(bytes, at);
        at += c.bytes;
        if (c.code >= glyph_table.size()) {
            continue;
        }
        const glyph_info& g = glyph_table[c.code];
        const float x2 = x + g.bitmap_left * sx;
        const float y2 = -y - g.bitmap_top * sy;
        const float w = g.bitmap_width * sx;
        const float h = g.bitmap_rows * sy;
        x += g.advance_x * sx;
        y += g.advance_y * sy;
        if (w == 0.0f || h == 0.0f) {
            continue;
        }
        if (static_cast<int>(glyphs.size()) + 6 > max_vertices) {
            break;
        }
        const float s0 = g.atlas_x;
        const float s1 = s0 + g.bitmap_width / atlas_w;
        const float t1 = g.bitmap_rows / atlas_h;
        const glm::vec4 rect(s0, 0.0f, s1, t1);
        const auto quad = [&](std::vector<text_vertex>& into, float grow_x, float grow_y,
                              float grow_s, float grow_t) {
            const float left = x2 - grow_x;
            const float right = x2 + w + grow_x;
            const float top = -y2 + grow_y;
            const float bottom = -y2 - h - grow_y;
            const float u0 = s0 - grow_s;
            const float u1 = s1 + grow_s;
            const float v0 = -grow_t;
            const float v1 = t1 + grow_t;
            into.push_back({{left, top, u0, v0}, rect});
            into.push_back({{right, top, u1, v0}, rect});
            into.push_back({{left, bottom, u0, v1}, rect});
            into.push_back({{right, top, u1, v0}, rect});
            into.push_back({{left, bottom, u0, v1}, rect});
            into.push_back({{right, bottom, u1, v1}, rect});
        };
        quad(outline, reach_x, reach_y, 2.0f * step.x, -2.0f * step.y);
        quad(glyphs, 0.0f, 0.0f, 0.0f, 0.0f);
    }
    const int n = static_cast<int>(glyphs.size());
    last_vertex_count = n;
    if (n > 0) {
        outline.insert(outline.end(), glyphs.begin(), glyphs.end());
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(outline.size() * sizeof(text_vertex)),
                     outline.data(), GL_DYNAMIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(text_vertex), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, sizeof(text_vertex),
                              reinterpret_cast<const void*>(offsetof(text_vertex, glyph)));
        const GLuint program = text_shader.program;
        const GLint color_location = glGetUniformLocation(program, "text_color");
        const GLint gain_location = glGetUniformLocation(program, "coverage_gain");
        const GLint taps_location = glGetUniformLocation(program, "outline_taps");
        glUniform2f(glGetUniformLocation(program, "outline_step"), step.x, step.y);
        // The outline in a near-black.
        glUniform3f(color_location, 0.04f, 0.03f, 0.02f);
        glUniform1f(gain_location, 3.0f);
        glUniform1i(taps_location, 12);
        glDrawArrays(GL_TRIANGLES, 0, n);
        const glm::vec3 color = tone_colour(tone);
        glUniform3f(color_location, color.r, color.g, color.b);
        glUniform1f(gain_location, 1.0f);
        glUniform1i(taps_location, 0);
        glDrawArrays(GL_TRIANGLES, n, n);
        glDisableVertexAttribArray(1);
    }

    glDisableVertexAttribArray(0);
    glDisable(GL_BLEND);
}

}  // namespace quillomar
