// The game's two sounds as a sound library decodes them: format, length, level, and a music loop
// that joins its end to its start without a click or a gap.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/asset_paths.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

struct decoded_sound {
    SF_INFO info{};
    std::vector<short> samples;
};

decoded_sound decode(const char* game_path) {
    decoded_sound sound;
    SNDFILE* file = sf_open(platform_path(game_path).c_str(), SFM_READ, &sound.info);
    if (file == nullptr) {
        ADD_FAILURE() << game_path << ": " << sf_strerror(nullptr);
        return sound;
    }
    sound.samples.resize(static_cast<std::size_t>(sound.info.frames * sound.info.channels));
    const sf_count_t read =
        sf_read_short(file, sound.samples.data(), static_cast<sf_count_t>(sound.samples.size()));
    sf_close(file);
    EXPECT_EQ(read, static_cast<sf_count_t>(sound.samples.size()));
    return sound;
}

double seconds(const decoded_sound& sound) {
    return static_cast<double>(sound.info.frames) / sound.info.samplerate;
}

double rms(const std::vector<short>& samples, std::size_t first, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = first; i < first + count; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return std::sqrt(sum / static_cast<double>(count));
}

int peak(const std::vector<short>& samples) {
    int loudest = 0;
    for (short s : samples) {
        loudest = std::max(loudest, std::abs(static_cast<int>(s)));
    }
    return loudest;
}

// The value below which `fraction` of the values lie.
int percentile(std::vector<int> values, double fraction) {
    const auto at = values.begin() + static_cast<long>(fraction * (values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

TEST(asset_sounds_test, both_sounds_are_mono_16_bit_pcm_wav_at_22050_hz) {
    for (const char* path : {assets::loop_sound, assets::winning_sound}) {
        SCOPED_TRACE(path);
        const decoded_sound sound = decode(path);
        EXPECT_EQ(sound.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_EQ(sound.info.samplerate, 22050);
        EXPECT_EQ(sound.info.channels, 1);
    }
}

TEST(asset_sounds_test, music_lasts_twenty_to_sixty_seconds_and_the_jingle_one_to_three) {
    const decoded_sound loop = decode(assets::loop_sound);
    EXPECT_GE(seconds(loop), 20.0);
    EXPECT_LE(seconds(loop), 60.0);
    const decoded_sound win = decode(assets::winning_sound);
    EXPECT_GE(seconds(win), 1.0);
    EXPECT_LE(seconds(win), 3.0);
}

TEST(asset_sounds_test, both_sounds_are_audible_and_never_clip) {
    for (const char* path : {assets::loop_sound, assets::winning_sound}) {
        SCOPED_TRACE(path);
        const decoded_sound sound = decode(path);
        ASSERT_FALSE(sound.samples.empty());
        EXPECT_LT(peak(sound.samples), 32767);
        EXPECT_GT(peak(sound.samples), 32767 / 4);
        EXPECT_GT(rms(sound.samples, 0, sound.samples.size()), 32767 * 0.05);
    }
}

// Played over and over, the last sample is followed by the first: that step must look like an
// ordinary step of the music, in size and in slope; no larger than three steps in four inside it.
// A loop whose notes are cut at the end and start afresh jumps by several times that.
TEST(asset_sounds_test, the_loop_end_runs_into_its_start_without_a_jump) {
    const decoded_sound loop = decode(assets::loop_sound);
    const std::vector<short>& s = loop.samples;
    ASSERT_GT(s.size(), 3u);
    std::vector<int> steps;
    std::vector<int> bends;
    for (std::size_t i = 1; i + 1 < s.size(); ++i) {
        steps.push_back(std::abs(s[i] - s[i - 1]));
        bends.push_back(std::abs(s[i + 1] - 2 * s[i] + s[i - 1]));
    }
    const int last = s[s.size() - 1];
    const int before_last = s[s.size() - 2];
    const int first = s[0];
    const int second = s[1];
    EXPECT_LE(std::abs(first - last), percentile(steps, 0.75));
    EXPECT_LE(std::abs(first - 2 * last + before_last), percentile(bends, 0.75));
    EXPECT_LE(std::abs(second - 2 * first + last), percentile(bends, 0.75));
}

// No fade at either end, which would be heard as a gap at every turn of the loop.
TEST(asset_sounds_test, the_loop_keeps_its_level_up_to_both_ends) {
    const decoded_sound loop = decode(assets::loop_sound);
    const std::size_t tenth = static_cast<std::size_t>(loop.info.samplerate / 10);
    ASSERT_GT(loop.samples.size(), 2 * tenth);
    const double overall = rms(loop.samples, 0, loop.samples.size());
    EXPECT_GT(rms(loop.samples, 0, tenth), 0.3 * overall);
    EXPECT_GT(rms(loop.samples, loop.samples.size() - tenth, tenth), 0.3 * overall);
}

// The jingle plays once: it starts and ends in silence, so neither end clicks.
TEST(asset_sounds_test, the_jingle_starts_and_ends_silent) {
    const decoded_sound win = decode(assets::winning_sound);
    ASSERT_GT(win.samples.size(), 100u);
    EXPECT_LE(std::abs(static_cast<int>(win.samples.front())), 16);
    EXPECT_LE(std::abs(static_cast<int>(win.samples.back())), 16);
    EXPECT_LT(rms(win.samples, win.samples.size() - 100, 100), 32767 * 0.002);
}

}  // namespace
}  // namespace quillomar
