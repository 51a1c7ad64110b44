// HUD text on a real context: the atlas against the game's font read independently, and what
// strings draw into the window's 1024 x 768 back buffer.
#include "render/text_renderer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "framework/asset_paths.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

constexpr int screen_width = 1024;
constexpr int screen_height = 768;
// The pen starts at clip (0, 0): column 512, baseline between rows 383 and 384 (rows count up).
constexpr int pen_column = screen_width / 2;
constexpr int baseline_row = screen_height / 2;

class TextRendererTest : public test::gl_test {
protected:
    void SetUp() override {
        test::gl_test::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        test::stream_capture out;
        text.setup();
        setup_lines = out.lines();
        ASSERT_EQ(FT_Init_FreeType(&library), 0);
        ASSERT_EQ(FT_New_Face(library, platform_path(assets::font_file).c_str(), 0, &face), 0);
        FT_Set_Pixel_Sizes(face, 0, 32);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, screen_width, screen_height);
        glDisable(GL_DEPTH_TEST);
    }

    void TearDown() override {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }

    // Draws the string with the pen at clip (0, 0) on black and reads the red channel back,
    // bottom row first.
    std::vector<unsigned char> draw(const char* line) {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        text.render_text(line, 0.0f, 0.0f, 2.0f / screen_width, 2.0f / screen_height);
        std::vector<unsigned char> red(screen_width * screen_height);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, screen_width, screen_height, GL_RED, GL_UNSIGNED_BYTE, red.data());
        return red;
    }

    // The glyph as FreeType alone rasterises it from the game's font.
    FT_GlyphSlot glyph(unsigned char c) {
        EXPECT_EQ(FT_Load_Char(face, c, FT_LOAD_RENDER), 0) << c;
        return face->glyph;
    }

    text_renderer text;
    std::vector<std::string> setup_lines;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

TEST_F(TextRendererTest, SetupLoadsTheFontQuietlyWithMetricsForPrintableGlyphsOnly) {
    EXPECT_EQ(setup_lines, (std::vector<std::string>{"font loaded!", "finished loading"}));
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 1) << "the glyph rows are byte-packed";
    for (unsigned c = 0; c < 128; ++c) {
        EXPECT_EQ(glyph_table[c].advance_x > 0.0f, c >= 32) << c;
    }
}

// Each bitmap row lands on the screen row its height above the baseline gives, upright, in full
// text colour where the glyph is fully covered; glyphs from both ends of the atlas and between.
TEST_F(TextRendererTest, GlyphsAreDrawnUprightPixelForPixel) {
    for (const char* letter : {"!", "7", "Q", "g", "~"}) {
        const std::vector<unsigned char> drawn = draw(letter);
        const FT_GlyphSlot g = glyph(static_cast<unsigned char>(letter[0]));
        for (unsigned row = 0; row < g->bitmap.rows; ++row) {
            const int screen_row = baseline_row + g->bitmap_top - 1 - static_cast<int>(row);
            for (unsigned column = 0; column < g->bitmap.width; ++column) {
                const int screen_column = pen_column + g->bitmap_left + static_cast<int>(column);
                ASSERT_NEAR(drawn[screen_row * screen_width + screen_column],
                            g->bitmap.buffer[row * g->bitmap.pitch + column], 2)
                    << letter << " row " << row << " column " << column;
            }
        }
    }
}

// Control codes, spaces and bytes beyond ASCII draw no quad; spaces still advance the pen, the
// others do not; glyphs beyond the buffer are cut off.
TEST_F(TextRendererTest, StringsDrawOneQuadPerVisibleGlyphUpToTheLimit) {
    std::string high;
    std::string spaced;
    for (int c = 128; c < 528; ++c) {
        high += static_cast<char>(c < 256 ? c : 128);
        spaced += "a ";
    }
    const std::string long_line(10000, 'a');
    const int space = static_cast<int>(glyph_table[' '].advance_x);
    ASSERT_GT(space, 0);
    const struct {
        const char* text;
        int vertices;
        const char* drawn_like;  // the same picture as this string, shifted right by `shift`
        int shift;
    } cases[] = {
        {nullptr, 0, "", 0},
        {" \t\n", 0, "", 0},
        {high.c_str(), 0, "", 0},
        {"Hello", 30, nullptr, 0},
        {"a\xc3\xa9\xff"
         "b",
         12, "ab", 0},
        {"  i", 6, "i", 2 * space},
        {long_line.c_str(), text_renderer::max_glyphs * 6, nullptr, 0},
        {spaced.c_str(), text_renderer::max_glyphs * 6, nullptr, 0},
    };
    for (const auto& c : cases) {
        const std::string name = c.text == nullptr ? "null" : std::string(c.text).substr(0, 8);
        test::stream_capture out;
        const std::vector<unsigned char> drawn = draw(c.text);
        EXPECT_EQ(text.last_vertex_count, c.vertices) << name;
        EXPECT_EQ(*std::max_element(drawn.begin(), drawn.end()) > 200, c.vertices > 0) << name;
        EXPECT_EQ(out.text(), "") << name << ": no OpenGL error around the draw";
        EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "blending is switched off again";
        if (c.drawn_like != nullptr) {
            std::vector<unsigned char> expected = draw(c.drawn_like);
            for (auto row = expected.begin(); row != expected.end(); row += screen_width) {
                std::rotate(row, row + screen_width - c.shift, row + screen_width);
            }
            EXPECT_TRUE(drawn == expected) << name;
        }
    }
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
    EXPECT_EQ(text.atlas_width + text.atlas_height, 0);
    for (const glyph_info& g : glyph_table) {
        EXPECT_EQ(g.bitmap_width + g.advance_x, 0.0f);
    }
    text.render_text("Lives: 5", 0.0f, 0.0f, 0.002f, 0.002f);
    EXPECT_EQ(text.last_vertex_count, 0);
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace
}  // namespace quillomar
