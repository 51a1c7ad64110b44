// Fitting text to a width with made-up metrics: letters 10 px, "W" 20, "." 4 and a blank 5.
#include "game/text_fit.h"

#include <gtest/gtest.h>

namespace quillomar {
namespace {

text_metrics made_up() {
    text_metrics m;
    for (int c = 33; c < 127; ++c) {
        m.advance[c] = 10.0f;
    }
    m.advance['W'] = 20.0f;
    m.advance['.'] = 4.0f;
    m.advance[' '] = 5.0f;
    m.line_height = 40.0f;
    return m;
}

TEST(TextFit, WidthsCountWhatTheRendererAdvances) {
    const text_metrics m = made_up();
    const struct {
        std::string text;
        float scale;
        float width;
    } cases[] = {
        {"", 1.0f, 0.0f},   {"ab", 1.0f, 20.0f},        {"a b", 2.0f, 50.0f},
        {"W.", 0.5f, 12.0f}, {"a\t\x80\xff", 1.0f, 10.0f},
    };
    for (const auto& c : cases) {
        EXPECT_FLOAT_EQ(text_width(m, c.text, c.scale), c.width) << c.text;
    }
}

TEST(TextFit, ShortenedTextFitsAndEndsInDots) {
    const text_metrics m = made_up();
    const struct {
        std::string text;
        float scale;
        float width;
        std::string fitted;
    } cases[] = {
        {"Music volume", 1.0f, 115.0f, "Music volume"},   // exactly fits
        {"Music volume", 1.0f, 114.0f, "Music volu..."},  // 95 and 12 for the dots
        {"Music volume", 1.0f, 69.0f, "Music..."},        // the blank before the cut goes
        {"Music volume", 2.0f, 100.0f, "Mus..."},
        {"Music", 1.0f, 22.0f, "M..."},
        {"Music", 1.0f, 21.0f, "..."},
        {"Music", 1.0f, 12.0f, "..."},
        {"Music", 1.0f, 11.9f, ""},  // not even the dots
        {"WWW", 1.0f, 40.0f, "W..."},
    };
    for (const auto& c : cases) {
        const std::string fitted = shorten_to_width(m, c.text, c.scale, c.width);
        EXPECT_EQ(fitted, c.fitted) << c.text << " in " << c.width;
        EXPECT_LE(text_width(m, fitted, c.scale), c.width) << c.text;
    }
}

TEST(TextFit, WrappedLinesBreakAtBlanksAndCutLongWords) {
    const text_metrics m = made_up();
    using lines = std::vector<std::string>;
    const struct {
        std::string text;
        float width;
        lines wrapped;
    } cases[] = {
        {"A is taken by Turn left", 1000.0f, {"A is taken by Turn left"}},
        {"A is taken by Turn left", 75.0f, {"A is", "taken by", "Turn", "left"}},
        {"  two   blanks ", 1000.0f, {"two blanks"}},
        {"Levels", 30.0f, {"Lev", "els"}},
        {"ab Levels cd", 30.0f, {"ab", "Lev", "els", "cd"}},
        {"WW", 5.0f, {"W", "W"}},  // a character wider than the line still moves on
        {"   ", 100.0f, {}},
        {"", 100.0f, {}},
        {"a", -1.0f, {"a"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wrap_to_width(m, c.text, 1.0f, c.width), c.wrapped) << c.text;
    }
    EXPECT_EQ(wrap_to_width(m, "ab cd", 2.0f, 50.0f), (lines{"ab", "cd"}));
}

}  // namespace
}  // namespace quillomar
