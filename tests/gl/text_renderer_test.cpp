// HUD text on a real context: what strings draw into the window's 1024 x 768 back buffer, against
// the game's font read independently.
#include "render/text_renderer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "framework/asset_paths.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

constexpr int width = 1024;
constexpr int height = 768;

class TextRendererTest : public test::gl_test {
protected:
    void SetUp() override {
        test::gl_test::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        test::stream_capture out;
        text.setup();
        EXPECT_EQ(out.lines(), (std::vector<std::string>{"font loaded!", "finished loading"}));
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, width, height);
        glDisable(GL_DEPTH_TEST);
    }

    // Draws the string with the pen at clip (0, 0) on black and reads the red channel back,
    // bottom row first.
    std::vector<unsigned char> draw(const char* line) {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        text.render_text(line, 0.0f, 0.0f, 2.0f / width, 2.0f / height);
        std::vector<unsigned char> red(width * height);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RED, GL_UNSIGNED_BYTE, red.data());
        return red;
    }

    text_renderer text;
};

// Each bitmap row of the glyph as FreeType alone rasterises it lands on the screen row its height
// above the baseline gives (the pen at column 512, the baseline between rows 383 and 384),
// upright and in full colour; glyphs from both ends of the atlas and between.
TEST_F(TextRendererTest, GlyphsAreDrawnUprightPixelForPixel) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Face(library, platform_path(assets::font_file).c_str(), 0, &face), 0);
    FT_Set_Pixel_Sizes(face, 0, 32);
    for (const char* letter : {"!", "7", "Q", "g", "~"}) {
        const std::vector<unsigned char> drawn = draw(letter);
        ASSERT_EQ(FT_Load_Char(face, letter[0], FT_LOAD_RENDER), 0);
        const FT_Bitmap& b = face->glyph->bitmap;
        for (int i = 0; i < int(b.rows * b.width); ++i) {
            const int row = height / 2 + face->glyph->bitmap_top - 1 - i / int(b.width);
            const int column = width / 2 + face->glyph->bitmap_left + i % int(b.width);
            ASSERT_NEAR(drawn[row * width + column], b.buffer[i / b.width * b.pitch + i % b.width],
                        2)
                << letter << " bitmap pixel " << i;
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

// Control codes, spaces and bytes beyond ASCII draw no quad; spaces still advance the pen, the
// others do not; glyphs beyond the buffer are cut off; blending is switched off again.
TEST_F(TextRendererTest, StringsDrawOneQuadPerVisibleGlyphUpToTheLimit) {
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
        {" \t\n\x80\xff", 0, "", 0},
        {"a\xc3\xa9\xff"
         "b",
         12, "ab", 0},
        {"  i", 6, "i", 2 * space},
        {long_line.c_str(), text_renderer::max_glyphs * 6, nullptr, 0},
    };
    for (const auto& c : cases) {
        const std::string name = c.text == nullptr ? "null" : std::string(c.text).substr(0, 8);
        test::stream_capture out;
        const std::vector<unsigned char> drawn = draw(c.text);
        EXPECT_EQ(text.last_vertex_count, c.vertices) << name;
        EXPECT_EQ(*std::max_element(drawn.begin(), drawn.end()) > 200, c.vertices > 0) << name;
        EXPECT_EQ(out.text(), "") << name << ": no OpenGL error around the draw";
        EXPECT_FALSE(glIsEnabled(GL_BLEND)) << name;
        if (c.drawn_like != nullptr) {
            std::vector<unsigned char> expected = draw(c.drawn_like);
            for (auto row = expected.begin(); row != expected.end(); row += width) {
                std::rotate(row, row + width - c.shift, row + width);
            }
            EXPECT_TRUE(drawn == expected) << name;
        }
    }
}

// A missing font prints one line, not one per glyph, and draws nothing.
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
    EXPECT_EQ(errors.find("Loading character"), std::string::npos);
    text.render_text("Lives: 5", 0.0f, 0.0f, 0.002f, 0.002f);
    EXPECT_EQ(text.last_vertex_count, 0);
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace
}  // namespace quillomar
