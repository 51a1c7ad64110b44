// HUD text on a real context: what strings draw into the window's 1024 x 768 back buffer, against
// the game's font read independently.
#include "render/text_renderer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <regex>

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

    // Draws the string with the pen at clip (0, 0) on the background colour and reads the
    // pixels back as RGB, bottom row first.
    std::vector<unsigned char> draw_rgb(const char* line, glm::vec3 background,
                                        hud_tone tone = hud_tone::plain, float scale = 1.0f) {
        glClearColor(background.r, background.g, background.b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        text.render_text(line, 0.0f, 0.0f, 2.0f / width, 2.0f / height, tone, scale);
        std::vector<unsigned char> rgb(width * height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }
    // The red channel on black.
    std::vector<unsigned char> draw(const char* line, float scale = 1.0f) {
        const std::vector<unsigned char> rgb =
            draw_rgb(line, glm::vec3(0.0f), hud_tone::plain, scale);
        std::vector<unsigned char> red(width * height);
        for (std::size_t i = 0; i < red.size(); ++i) {
            red[i] = rgb[i * 3];
        }
        return red;
    }

    text_renderer text;
};

// The WCAG contrast ratio of two 8-bit sRGB colours.
double contrast(const unsigned char* a, const unsigned char* b) {
    const auto luminance = [](const unsigned char* rgb) {
        double sum = 0.0;
        for (int c = 0; c < 3; ++c) {
            const double v = rgb[c] / 255.0;
            sum += (c == 0   ? 0.2126
                    : c == 1 ? 0.7152
                             : 0.0722) *
                   (v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        return sum + 0.05;
    };
    return std::max(luminance(a), luminance(b)) / std::min(luminance(a), luminance(b));
}

// Each glyph as FreeType alone rasterises it lands where its bitmap says (the pen at column 512,
// the baseline between rows 383 and 384), upright: its fully covered pixels in the tone's colour,
// and every uncovered pixel beside them dark enough to read the glyph by, at least 4.5 : 1, over
// the light stone and over the dark-blue sky alike.
TEST_F(TextRendererTest, GlyphsAreDrawnUprightWithAReadableOutline) {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Face(library, platform_path(assets::font_file).c_str(), 0, &face), 0);
    FT_Set_Pixel_Sizes(face, 0, 32);
    const struct {
        glm::vec3 background;
        hud_tone tone;
        unsigned char colour[3];
    } cases[] = {
        {{0.86f, 0.78f, 0.6f}, hud_tone::plain, {255, 235, 158}},
        {{0.0f, 0.0f, 0.4f}, hud_tone::plain, {255, 235, 158}},
        {{0.86f, 0.78f, 0.6f}, hud_tone::ahead, {115, 255, 115}},
        {{0.86f, 0.78f, 0.6f}, hud_tone::behind, {255, 115, 102}},
        {{0.86f, 0.78f, 0.6f}, hud_tone::chosen, {115, 217, 255}},
        {{0.86f, 0.78f, 0.6f}, hud_tone::hover, {255, 255, 255}},
        {{0.86f, 0.78f, 0.6f}, hud_tone::dim, {148, 140, 128}},
        {{0.0f, 0.0f, 0.4f}, hud_tone::title, {255, 179, 64}},
        {{0.0f, 0.0f, 0.4f}, hud_tone::author, {204, 140, 255}},
        {{0.0f, 0.0f, 0.4f}, hud_tone::gold, {255, 214, 0}},
        {{0.0f, 0.0f, 0.4f}, hud_tone::silver, {204, 209, 224}},
        {{0.0f, 0.0f, 0.4f}, hud_tone::bronze, {222, 140, 77}},
    };
    for (const auto& c : cases) {
        for (const char* letter : {"!", "7", "Q", "g", "~"}) {
            const std::vector<unsigned char> drawn = draw_rgb(letter, c.background, c.tone);
            ASSERT_EQ(FT_Load_Char(face, letter[0], FT_LOAD_RENDER), 0);
            const FT_Bitmap& b = face->glyph->bitmap;
            const auto coverage = [&](int x, int y) {
                const bool inside = x >= 0 && y >= 0 && x < int(b.width) && y < int(b.rows);
                return inside ? int(b.buffer[y * b.pitch + x]) : 0;
            };
            const auto near_ink = [&](int x, int y) {
                int most = 0;
                for (int d = 0; d < 9; ++d) {
                    most = std::max(most, coverage(x + d % 3 - 1, y + d / 3 - 1));
                }
                return most >= 128;
            };
            int rings = 0;
            for (int y = -2; y <= int(b.rows) + 1; ++y) {
                for (int x = -2; x <= int(b.width) + 1; ++x) {
                    const int row = height / 2 + face->glyph->bitmap_top - 1 - y;
                    const int column = width / 2 + face->glyph->bitmap_left + x;
                    const unsigned char* pixel = &drawn[(row * width + column) * 3];
                    if (coverage(x, y) == 255) {
                        for (int k = 0; k < 3; ++k) {
                            ASSERT_NEAR(pixel[k], c.colour[k], 2)
                                << letter << " at " << x << "," << y;
                        }
                    } else if (coverage(x, y) == 0 && near_ink(x, y)) {
                        ++rings;
                        EXPECT_GE(contrast(c.colour, pixel), 4.5)
                            << letter << " ring pixel at " << x << "," << y;
                    }
                }
            }
            EXPECT_GT(rings, 4) << letter;
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

// Control codes, spaces, characters past Latin-1 and bytes that are no UTF-8 draw no quad ("\xc3\xa9"
// is an e with its accent); spaces still advance the pen, the others do not; glyphs beyond the
// buffer are cut off; blending is switched off again.
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
         18, "a\xc3\xa9"
             "b",
         0},
        {"\xe2\x82\xac\xc3", 0, "", 0},  // a character past Latin-1, and half of one
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

// A larger scale grows each glyph about the pen and the baseline, and moves the pen by exactly
// what the metrics say the text is wide.
TEST_F(TextRendererTest, ScaledTextGrowsAboutThePenAsTheMetricsSay) {
    EXPECT_EQ(text.metrics.advance['W'], glyph_table['W'].advance_x);
    const auto ink = [&](const char* line, float scale) {  // left, right, top of the bright pixels
        const std::vector<unsigned char> red = draw(line, scale);
        std::array<int, 3> box = {width, 0, 0};
        for (int i = 0; i < width * height; ++i) {
            if (red[i] >= 128) {
                box = {std::min(box[0], i % width), std::max(box[1], i % width), i / width};
            }
        }
        return std::array<float, 3>{box[0] - width / 2.0f, float(box[1] - box[0]), box[2] - height / 2.0f};
    };
    const std::array<float, 3> one = ink("H", 1.0f);
    for (const float scale : {0.5f, 2.0f, 2.5f}) {
        const std::array<float, 3> box = ink("H", scale);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(box[k], one[k] * scale, 2.5) << scale << " " << k;
        }
        const std::array<float, 3> after_w = ink("WH", scale);  // the H's right edge moves on
        EXPECT_NEAR(after_w[0] + after_w[1] - box[0] - box[1], text_width(text.metrics, "W", scale),
                    1.0) << scale;
    }
}

// A missing or broken font gives way to the system's serif face, with one line naming both
// files: the HUD still has text.
TEST(TextRendererFallbackFont, AMissingOrBrokenFontStillDrawsText) {
    ASSERT_NE(test::shared_gl_window(), nullptr);
    for (const std::string& font : {std::string(), std::string("\0\1\0\0 garbage", 12)}) {
        const test::scratch_dir elsewhere;
        elsewhere.write("Quillomar/fonts/georgia.ttf", font);
        std::filesystem::copy("Quillomar/shader", elsewhere.path() / "Quillomar/shader",
                              std::filesystem::copy_options::recursive);
        if (font.empty()) {  // missing
            std::filesystem::remove(elsewhere.path() / "Quillomar/fonts/georgia.ttf");
        }
        const std::string home = std::filesystem::current_path().string();
        ASSERT_EQ(chdir(elsewhere.path().c_str()), 0);
        text_renderer text;
        test::stream_capture out;
        text.setup();
        ASSERT_EQ(chdir(home.c_str()), 0);
        EXPECT_EQ(out.lines().size(), 3u);
        EXPECT_TRUE(std::regex_match(out.lines().at(1), std::regex(".*Quillomar/fonts/georgia.ttf.*; "
                                                                   "the HUD uses /.*\\.ttf instead\\.")))
            << out.text();
        text.render_text("Lives: 5", 0.0f, 0.0f, 0.002f, 0.002f);
        EXPECT_EQ(text.last_vertex_count, 7 * 6) << font.size();
    }
}

}  // namespace
}  // namespace quillomar
