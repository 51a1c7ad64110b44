// Recordings: what is written reads back exactly, and anything damaged is refused.
#include <gtest/gtest.h>

#include "game/recording.h"

namespace quillomar {
namespace {

TEST(recording, a_run_reads_back_exactly_and_damage_is_refused) {
    recording run;
    run.level_key = "0123456789abcdef";
    frame_input first;
    first.time = 1000.0 + 1.0 / 60.0;  // not exact in decimal: the text must keep every bit
    first.hold(command::forward);
    first.hold(command::free_backward);
    first.press(command::flip);
    first.press(command::flip);
    frame_input second = first;
    second.time += 0.25;
    second.presses = {};
    second.press(command::free_backward);
    run.frames = {first, second};

    const std::string text = format_recording(run);
    const std::optional<recording> back = parse_recording(text);
    ASSERT_TRUE(back.has_value()) << text;
    EXPECT_EQ(back->level_key, run.level_key);
    ASSERT_EQ(back->frames.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(back->frames[i].time, run.frames[i].time);
        EXPECT_EQ(back->frames[i].held, run.frames[i].held);
        EXPECT_EQ(back->frames[i].presses, run.frames[i].presses);
    }

    const std::string head = "quillomar-recording 1\nlevel 0123456789abcdef\n";
    const char* const damaged[] = {
        "",
        "quillomar-recording 2\nlevel 0123456789abcdef\n",
        "quillomar-recording 1\nlevel 0123\n",
        "quillomar-recording 1\nlevel 0123456789ABCDEF\n",
        "quillomar-recording 1\nlevel 0123456789abcdef\n0x1p+0 1",  // cut off
        "quillomar-recording 1\nlevel 0123456789abcdef\n0x1p+0\n",
        "quillomar-recording 1\nlevel 0123456789abcdef\n-1 0\n",
        "quillomar-recording 1\nlevel 0123456789abcdef\nnan 0\n",
        "quillomar-recording 1\nlevel 0123456789abcdef\n1 zz\n",
        "quillomar-recording 1\nlevel 0123456789abcdef\n1 ffffffffff\n",
        "quillomar-recording 1\nlevel 0123456789abcdef\n1 0 99x1\n",
        "quillomar-recording 1\nlevel 0123456789abcdef\n1 0 4x0\n",
        "quillomar-recording 1\nlevel 0123456789abcdef\n1 0 4x256\n",
        "quillomar-recording 1\nlevel 0123456789abcdef\n1 0 4x1 4x1\n",
        "quillomar-recording 1\nlevel 0123456789abcdef\n1 0 4x1y\n",
        "quillomar-recording 1\nlevel 0123456789abcdef\n2 0\n1 0\n",  // time runs backwards
    };
    for (const char* text_case : damaged) {
        std::string why;
        EXPECT_FALSE(parse_recording(text_case, &why).has_value()) << text_case;
        EXPECT_FALSE(why.empty()) << text_case;
    }
    EXPECT_TRUE(parse_recording(head + "1 0 4x1\n").has_value());
}

}  // namespace
}  // namespace quillomar
