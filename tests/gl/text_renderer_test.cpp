#include "render/text_renderer.h"

#include <GL/glew.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "framework/asset_paths.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

constexpr int screen_width = 1024;
constexpr int screen_height = 768;
constexpr float pixel_x = 2.0f / screen_width;
constexpr float pixel_y = 2.0f / screen_height;
// Pen start (0, 0) in clip space: column 512, baseline between rows 383 and 384 (rows count up).
constexpr int pen_column = screen_width / 2;
constexpr int baseline_row = screen_height / 2;

// A single-sampled colour target of the HUD's size, cleared to black, bound while it lives.
class offscreen_target {
public:
    offscreen_target() {
        glGenFramebuffers(1, &framebuffer_);
        glGenRenderbuffers(1, &color_);
        glBindRenderbuffer(GL_RENDERBUFFER, color_);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, screen_width, screen_height);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color_);
        glViewport(0, 0, screen_width, screen_height);
        glDisable(GL_DEPTH_TEST);
        clear();
    }
    ~offscreen_target() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteRenderbuffers(1, &color_);
        glDeleteFramebuffers(1, &framebuffer_);
        glEnable(GL_DEPTH_TEST);
    }
    offscreen_target(const offscreen_target&) = delete;
    offscreen_target& operator=(const offscreen_target&) = delete;

    bool complete() const {
        return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }

    void clear() const {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    // RGBA bytes, bottom row first.
    std::vector<unsigned char> read() const {
        std::vector<unsigned char> pixels(static_cast<std::size_t>(screen_width) * screen_height *
                                          4);
        glReadPixels(0, 0, screen_width, screen_height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

private:
    GLuint framebuffer_ = 0;
    GLuint color_ = 0;
};

// The rows and columns that received any text colour.
struct coverage {
    int left = INT_MAX;
    int right = INT_MIN;
    int bottom = INT_MAX;
    int top = INT_MIN;
    int pixels = 0;
};

coverage covered(const std::vector<unsigned char>& pixels) {
    coverage result;
    for (int row = 0; row < screen_height; ++row) {
        for (int column = 0; column < screen_width; ++column) {
            if (pixels[(static_cast<std::size_t>(row) * screen_width + column) * 4] == 0) {
                continue;
            }
            result.left = std::min(result.left, column);
            result.right = std::max(result.right, column);
            result.bottom = std::min(result.bottom, row);
            result.top = std::max(result.top, row);
            ++result.pixels;
        }
    }
    return result;
}

// The game's font opened independently of the renderer, at the HUD's pixel size.
class font_face {
public:
    font_face() {
        if (FT_Init_FreeType(&library_) == 0 &&
            FT_New_Face(library_, platform_path(assets::font_file).c_str(), 0, &face_) == 0) {
            FT_Set_Pixel_Sizes(face_, 0, 32);
        } else {
            face_ = nullptr;
        }
    }
    ~font_face() {
        if (face_ != nullptr) {
            FT_Done_Face(face_);
        }
        if (library_ != nullptr) {
            FT_Done_FreeType(library_);
        }
    }
    font_face(const font_face&) = delete;
    font_face& operator=(const font_face&) = delete;

    FT_Face get() const { return face_; }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

class TextRendererTest : public test::gl_test {
protected:
    void SetUp() override {
        test::gl_test::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        test::stream_capture out;
        text.setup();
        setup_lines = out.lines();
        target.emplace();
    }

    // Draws into a cleared target with the pen at clip (0, 0) and returns what got covered.
    coverage draw(const std::string& line) {
        target->clear();
        text.render_text(line.c_str(), 0.0f, 0.0f, pixel_x, pixel_y);
        return covered(target->read());
    }

    text_renderer text;
    std::vector<std::string> setup_lines;
    // Made once the context exists.
    std::optional<offscreen_target> target;
};

TEST_F(TextRendererTest, SetupLoadsTheFontQuietly) {
    EXPECT_EQ(setup_lines, (std::vector<std::string>{"font loaded!", "finished loading"}));
    EXPECT_NE(text.atlas_texture, 0u);
    EXPECT_NE(text.text_shader.program, 0u);
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 1);
}

TEST_F(TextRendererTest, AtlasPacksEveryGlyphSideBySideAtRowZero) {
    const font_face font;
    const FT_Face face = font.get();
    ASSERT_NE(face, nullptr);

    glActiveTexture(GL_TEXTURE15);
    glBindTexture(GL_TEXTURE_2D, text.atlas_texture);
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> atlas(static_cast<std::size_t>(width) * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_UNSIGNED_BYTE, atlas.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);

    int x = 0;
    int tallest = 0;
    for (unsigned c = 32; c < 128; ++c) {
        ASSERT_EQ(FT_Load_Char(face, c, FT_LOAD_RENDER), 0) << c;
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        const glyph_info& g = glyph_table[c];
        EXPECT_EQ(g.bitmap_width, static_cast<float>(bitmap.width)) << c;
        EXPECT_EQ(g.bitmap_rows, static_cast<float>(bitmap.rows)) << c;
        EXPECT_EQ(g.advance_x, static_cast<float>(face->glyph->advance.x / 64)) << c;
        EXPECT_NEAR(g.atlas_x * width, x, 0.01)
            << "glyph " << c << " starts after the ones before it";
        // The glyph's pixels sit in its own columns from the atlas's top row down.
        for (unsigned row = 0; row < bitmap.rows && x + bitmap.width <= unsigned(width); ++row) {
            for (unsigned column = 0; column < bitmap.width; ++column) {
                ASSERT_EQ(atlas[row * width + x + column],
                          bitmap.buffer[row * bitmap.pitch + column])
                    << "glyph " << c << " row " << row << " column " << column;
            }
        }
        x += static_cast<int>(bitmap.width);
        tallest = std::max(tallest, static_cast<int>(bitmap.rows));
    }
    EXPECT_EQ(text.atlas_width, x);
    EXPECT_EQ(text.atlas_height, tallest);
    EXPECT_EQ(width, x);
    EXPECT_EQ(height, tallest);
    for (unsigned c = 0; c < 32; ++c) {
        EXPECT_EQ(glyph_table[c].advance_x, 0.0f);
        EXPECT_EQ(glyph_table[c].bitmap_width, 0.0f);
    }
}

TEST_F(TextRendererTest, DrawsVisibleBlendedTextInTheShadersColour) {
    ASSERT_TRUE(target->complete());
    test::stream_capture out;
    const coverage hello = draw("Hello");
    EXPECT_EQ(out.text(), "") << "no OpenGL error around the draw";
    EXPECT_EQ(text.last_vertex_count, 5 * 6);
    EXPECT_GT(hello.pixels, 100);
    EXPECT_GE(hello.left, pen_column);
    EXPECT_GE(hello.bottom, baseline_row) << "no descender in \"Hello\"";
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "blending is switched off again";

    // Full coverage shows the text colour itself: a light colour with red strongest.
    const std::vector<unsigned char> pixels = target->read();
    int brightest = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        brightest = std::max(brightest, int(pixels[i]));
        EXPECT_GE(pixels[i], pixels[i + 2]);
    }
    EXPECT_GT(brightest, 200);
}

TEST_F(TextRendererTest, EmptyStringDrawsNothing) {
    test::stream_capture out;
    EXPECT_EQ(draw("").pixels, 0);
    EXPECT_EQ(text.last_vertex_count, 0);
    text.render_text(nullptr, 0.0f, 0.0f, pixel_x, pixel_y);
    EXPECT_EQ(text.last_vertex_count, 0);
    EXPECT_EQ(out.text(), "");
}

TEST_F(TextRendererTest, SpaceAdvancesThePenWithoutAQuad) {
    EXPECT_EQ(draw(" ").pixels, 0);
    EXPECT_EQ(text.last_vertex_count, 0);

    const coverage plain = draw("i");
    const coverage spaced = draw("  i");
    EXPECT_EQ(text.last_vertex_count, 6);
    ASSERT_GT(glyph_table[' '].advance_x, 0.0f);
    EXPECT_EQ(spaced.left - plain.left, 2 * static_cast<int>(glyph_table[' '].advance_x));
    EXPECT_EQ(spaced.bottom, plain.bottom);
    EXPECT_EQ(spaced.top, plain.top);
}

TEST_F(TextRendererTest, DescendersReachBelowTheBaseline) {
    const coverage x_height = draw("x");
    EXPECT_EQ(x_height.bottom, baseline_row) << "\"x\" stands on the baseline";

    for (const char* letter : {"g", "p", "y"}) {
        const glyph_info& g = glyph_table[static_cast<unsigned char>(letter[0])];
        const int descent = static_cast<int>(g.bitmap_rows - g.bitmap_top);
        const coverage drawn = draw(letter);
        EXPECT_GE(descent, 4) << letter;
        EXPECT_EQ(drawn.bottom, baseline_row - descent) << letter;
        EXPECT_EQ(drawn.top, baseline_row + static_cast<int>(g.bitmap_top) - 1) << letter;
    }
}

TEST_F(TextRendererTest, GlyphsAreDrawnUprightPixelForPixel) {
    const font_face font;
    ASSERT_NE(font.get(), nullptr);
    for (const char* letter : {"g", "Q", "7"}) {
        ASSERT_EQ(FT_Load_Char(font.get(), static_cast<unsigned char>(letter[0]), FT_LOAD_RENDER),
                  0);
        const FT_GlyphSlot glyph = font.get()->glyph;
        target->clear();
        text.render_text(letter, 0.0f, 0.0f, pixel_x, pixel_y);
        const std::vector<unsigned char> pixels = target->read();
        // Bitmap row 0 is the glyph's top, bitmap_top rows above the baseline.
        for (unsigned row = 0; row < glyph->bitmap.rows; ++row) {
            const int screen_row = baseline_row + glyph->bitmap_top - 1 - static_cast<int>(row);
            for (unsigned column = 0; column < glyph->bitmap.width; ++column) {
                const int screen_column =
                    pen_column + glyph->bitmap_left + static_cast<int>(column);
                const int drawn =
                    pixels[(static_cast<std::size_t>(screen_row) * screen_width + screen_column) *
                           4];
                const int expected = glyph->bitmap.buffer[row * glyph->bitmap.pitch + column];
                ASSERT_NEAR(drawn, expected, 2) << letter << " row " << row << " column " << column;
            }
        }
    }
}

TEST_F(TextRendererTest, LongStringsAreCutAfterTheBufferIsFull) {
    test::stream_capture out;
    const std::string long_line(10000, 'a');
    const coverage drawn = draw(long_line);
    EXPECT_EQ(text.last_vertex_count, text_renderer::max_glyphs * 6);
    EXPECT_LE(text.last_vertex_count, text_renderer::max_vertices);
    EXPECT_GT(drawn.pixels, 0);

    // Spaces cost no room, so they do not shorten what is drawn.
    std::string spaced;
    for (int i = 0; i < 400; ++i) {
        spaced += "a ";
    }
    draw(spaced);
    EXPECT_EQ(text.last_vertex_count, text_renderer::max_glyphs * 6);
    EXPECT_EQ(out.text(), "");
}

TEST_F(TextRendererTest, BytesBeyondAsciiAreSkippedWithoutAdvancing) {
    std::string high;
    for (int c = 128; c < 256; ++c) {
        high += static_cast<char>(c);
    }
    EXPECT_EQ(draw(high).pixels, 0);
    EXPECT_EQ(text.last_vertex_count, 0);

    target->clear();
    text.render_text("ab", 0.0f, 0.0f, pixel_x, pixel_y);
    const std::vector<unsigned char> plain = target->read();
    target->clear();
    text.render_text(
        "a\xc3\xa9\xff"
        "b",
        0.0f, 0.0f, pixel_x, pixel_y);
    EXPECT_EQ(text.last_vertex_count, 12);
    EXPECT_TRUE(target->read() == plain) << "skipped bytes leave no gap";
}

TEST(TextRendererMissingFont, PrintsOneLineAndDrawsNothing) {
    ASSERT_NE(test::shared_gl_window(), nullptr);
    const test::scratch_dir elsewhere;
    const std::string home = std::filesystem::current_path().string();
    ASSERT_EQ(chdir(elsewhere.path().c_str()), 0);

    text_renderer text;
    testing::internal::CaptureStderr();
    test::stream_capture out;
    text.setup();
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_EQ(chdir(home.c_str()), 0);

    const std::vector<std::string> lines = out.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "font loading failed!"), 1);
    EXPECT_EQ(errors.find("Loading character"), std::string::npos)
        << "one line for the missing font, not one per glyph";
    EXPECT_EQ(text.atlas_width, 0);
    EXPECT_EQ(text.atlas_height, 0);
    for (const glyph_info& g : glyph_table) {
        EXPECT_EQ(g.bitmap_width, 0.0f);
        EXPECT_EQ(g.advance_x, 0.0f);
    }
    text.render_text("Lives: 5", 0.0f, 0.0f, pixel_x, pixel_y);
    EXPECT_EQ(text.last_vertex_count, 0);
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace
}  // namespace quillomar
