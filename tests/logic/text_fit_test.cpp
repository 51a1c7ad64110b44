// Fitting text to a width with made-up metrics: letters 10 px, "W" 20, "." 4 and a blank 5.
#include "game/text_fit.h"

#include <gtest/gtest.h>

namespace quillomar {
namespace {

text_metrics made_up() {
    text_metrics m;
    m.advance.fill(0.0f);
    for (int c = 33; c < 127; ++c) {
        m.advance[c] = c == 'W' ? 20.0f : c == '.' ? 4.0f : 10.0f;
    }
    m.advance[' '] = 5.0f;
    return m;
}

TEST(TextFit, WidthsShortenedAndWrappedTextFit) {
    const text_metrics m = made_up();
    EXPECT_FLOAT_EQ(text_width(m, "a b", 2.0f), 50.0f);
    EXPECT_FLOAT_EQ(text_width(m, "W.\t\x80\xff", 0.5f), 12.0f);  // past ASCII draws nothing
    const struct {
        std::string text;
        float scale, width;
        std::string fitted;
    } cuts[] = {
        {"Music volume", 1.0f, 115.0f, "Music volume"},   // exactly fits
        {"Music volume", 1.0f, 114.0f, "Music volu..."},  // 95 and 12 for the dots
        {"Music volume", 1.0f, 69.0f, "Music..."},        // the blank before the cut goes
        {"Music volume", 2.0f, 100.0f, "Mus..."},
        {"Music", 1.0f, 22.0f, "M..."},
        {"Music", 1.0f, 21.0f, "..."},
        {"Music", 1.0f, 11.9f, ""},  // not even the dots
        {"WWW", 1.0f, 40.0f, "W..."},
    };
    for (const auto& c : cuts) {
        EXPECT_EQ(shorten_to_width(m, c.text, c.scale, c.width), c.fitted) << c.width;
    }
    using lines = std::vector<std::string>;
    const struct {
        std::string text;
        float width;
        lines wrapped;
    } wraps[] = {
        {"A is taken by Turn left", 1000.0f, {"A is taken by Turn left"}},
        {"A is taken by Turn left", 75.0f, {"A is", "taken by", "Turn", "left"}},
        {"  two   blanks ", 1000.0f, {"two blanks"}},
        {"ab Levels cd", 30.0f, {"ab", "Lev", "els", "cd"}},  // a long word is cut
        {"WW", 5.0f, {"W", "W"}},  // a character wider than the line still moves on
        {"   ", 100.0f, {}},
        {"a", -1.0f, {"a"}},
    };
    for (const auto& c : wraps) {
        EXPECT_EQ(wrap_to_width(m, c.text, 1.0f, c.width), c.wrapped) << c.text;
    }
    EXPECT_EQ(wrap_to_width(m, "ab cd", 2.0f, 50.0f), (lines{"ab", "cd"}));
}

}  // namespace
}  // namespace quillomar
