// Recordings: what is written reads back exactly, and anything damaged is refused.
#include <gtest/gtest.h>

#include "game/recording.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

TEST(recording, a_run_reads_back_exactly_and_damage_is_refused) {
    recording run{"0123456789abcdef",
                  {frame_input{1000.0 + 1.0 / 60.0}, frame_input{1000.5}, frame_input{1001.0}}, 1};
    run.frames[0].hold(command::forward);  // 1000 + 1/60 is not exact in decimal
    run.frames[0].press(command::flip);
    run.frames[0].press(command::flip);
    run.frames[1].hold(command::free_backward);
    run.frames[1].press(command::free_backward);
    run.frames[1].push_amount = 128;
    run.frames[1].turn_amount = 7;
    run.frames[2].push_amount = 9;  // a part push with a whole turn
    const std::optional<recording> back = parse_recording(format_recording(run));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->level_key, run.level_key);
    ASSERT_EQ(back->frames.size(), 3u);
    EXPECT_TRUE(back->frames[0].is_held(command::forward));
    for (std::size_t i = 0; i < 3; ++i) {
        const frame_input &a = back->frames[i], &b = run.frames[i];
        EXPECT_TRUE(a.time == b.time && a.held == b.held && a.presses == b.presses &&
                    a.push_amount == b.push_amount && a.turn_amount == b.turn_amount)
            << i;
    }
    // Version 2 keeps no times: frame n is tick n + 1.
    run.version = 2;
    const std::optional<recording> ticks = parse_recording(format_recording(run));
    ASSERT_TRUE(ticks.has_value());
    EXPECT_EQ(ticks->frames[1].time, 2.0 / 60.0);
    EXPECT_EQ(ticks->frames[1].presses, run.frames[1].presses);
    EXPECT_EQ(format_recording(*ticks), format_recording(run));
    // A best run carries its result, exactly.
    run.result = run_result{1000.0 / 3.0, 2};
    const std::optional<recording> best = parse_recording(format_recording(run));
    ASSERT_TRUE(best.has_value() && best->result.has_value() && best->frames.size() == 3);
    EXPECT_TRUE(best->result->seconds == 1000.0 / 3.0 && best->result->lives_lost == 2);
    // A directly steered run keeps each tick's turn, to the thousandth of a degree.
    run.steering = steering::direct;
    run.frames[0].steer = max_steer_per_tick;
    run.frames[2].steer = -2500;
    const std::optional<recording> steered = parse_recording(format_recording(run));
    ASSERT_TRUE(steered.has_value());
    EXPECT_EQ(steered->steering, steering::direct);
    EXPECT_TRUE(steered->frames[0].steer == max_steer_per_tick && steered->frames[1].steer == 0 &&
                steered->frames[2].steer == -2500);
    EXPECT_EQ(format_recording(*steered), format_recording(run));
    const std::string head = "quillomar-recording 1\nlevel 0123456789abcdef\n";
    const std::string damaged[] = {
        "",
        "quillomar-recording 3\nlevel 0123456789abcdef\n",
        "quillomar-recording 1\nlevel 0123\n",
        "quillomar-recording 1\nlevel 0123456789ABCDEF\n",
        head + "0x1p+0 1",  // cut off
        head + "0x1p+0\n",
        head + "-1 0\n",
        head + "nan 0\n",
        head + "1 zz\n",
        head + "1 ffffffffff\n",
        head + "1 0 99x1\n",
        head + "1 0 4x0\n",
        head + "1 0 4x256\n",
        head + "1 0 4x4294967297\n",
        head + "1 0 18446744073709551620x1\n",
        head + "1 0 4x1 4x1\n",
        head + "1 0 4x1y\n",
        head + "2 0\n1 0\n",  // time runs backwards
        head + "1 0 a256,1\n",
        head + "1 0 a1\n",
        head + "1 0 a1,1 4x1\n",  // the amounts come last
        "quillomar-recording 2\nlevel 0123456789abcdef\nresult 0 0\n",
        "quillomar-recording 2\nlevel 0123456789abcdef\nresult 1 -1\n",
        "quillomar-recording 2\nlevel 0123456789abcdef\nresult 1 0 0\n",
        "quillomar-recording 2\nlevel 0123456789abcdef\nresult inf 0\n",
        head + "1 0 s5\n",  // a timed run never steered directly
        "quillomar-recording 2\nlevel 0123456789abcdef\n0 s0\n",
        "quillomar-recording 2\nlevel 0123456789abcdef\n0 s180001\n",
        "quillomar-recording 2\nlevel 0123456789abcdef\n0 s-180001\n",
        "quillomar-recording 2\nlevel 0123456789abcdef\n0 s1 s1\n",
        "quillomar-recording 2\nlevel 0123456789abcdef\n0 s+1\n",
        "quillomar-recording 2\nlevel 0123456789abcdef\n0 s1x\n",
        "quillomar-recording 2\nlevel 0123456789abcdef\n0 a1,1 s1\n",
        "quillomar-recording 2\nlevel 0123456789abcdef\nsteering sideways\n0\n",
    };
    for (const std::string& text : damaged) {
        std::string why;
        EXPECT_FALSE(parse_recording(text, &why).has_value() || why.empty()) << text;
    }
    EXPECT_TRUE(parse_recording(head + "1 0 4x1\n").has_value());
    EXPECT_TRUE(parse_recording(head + "1 0 4x1 a0,255\n").has_value());
    EXPECT_TRUE(parse_recording("quillomar-recording 2\nlevel 0123456789abcdef\n0 4x1 s-1 a0,255\n")
                    .has_value());
    // A recording that cannot be written says so instead of passing for saved.
    const test::scratch_dir dir;
    const test::stream_capture quiet;
    EXPECT_FALSE(save_recording(run, dir.write("file", "x") + "/run.replay"));
    EXPECT_TRUE(save_recording(run, (dir.path() / "run.replay").string()));
}

TEST(recording, a_run_longer_than_an_hour_is_read_up_to_its_first_hour) {
    std::string text = "quillomar-recording 1\nlevel 0123456789abcdef\n";
    for (std::size_t i = 0; i <= max_recording_frames; ++i) {
        text += "1 0\n";
    }
    bool cut_short = false;
    EXPECT_EQ(parse_recording(text, nullptr, &cut_short)->frames.size(), max_recording_frames);
    EXPECT_TRUE(cut_short);
    text.resize(text.size() - 4);
    EXPECT_EQ(parse_recording(text, nullptr, &cut_short)->frames.size(), max_recording_frames);
    EXPECT_FALSE(cut_short);
}

}  // namespace
}  // namespace quillomar
