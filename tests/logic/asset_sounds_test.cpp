// The game's two sounds as a sound library decodes them: format, length, level, and a music loop
// that joins its end to its start without a click or a gap.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "framework/asset_paths.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

double rms(const std::vector<short>& samples, std::size_t first, std::size_t count) {
    const auto begin = samples.begin() + first;
    return std::sqrt(std::inner_product(begin, begin + count, begin, 0.0) / count);
}

// Both are mono 16-bit PCM WAV at 22050 Hz, audible and never clipping. The music lasts 20 to 60
// seconds and loops; the jingle lasts 1 to 3 seconds and plays once.
TEST(asset_sounds_test, both_sounds_decode_with_the_format_length_and_level_the_game_expects) {
    for (const char* path : {assets::loop_sound, assets::winning_sound}) {
        SCOPED_TRACE(path);
        const bool loop = path == assets::loop_sound;
        SF_INFO info{};
        SNDFILE* file = sf_open(platform_path(path).c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        std::vector<short> s(info.frames * info.channels);
        EXPECT_EQ(sf_read_short(file, s.data(), static_cast<sf_count_t>(s.size())), info.frames);
        sf_close(file);
        EXPECT_EQ(std::vector({info.format, info.samplerate, info.channels}),
                  std::vector({SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1}));
        EXPECT_TRUE(info.frames >= (loop ? 20 : 1) * 22050 &&
                    info.frames <= (loop ? 60 : 3) * 22050);
        ASSERT_GT(s.size(), 22050u);
        const auto [low, high] = std::minmax_element(s.begin(), s.end());
        const double overall = rms(s, 0, s.size());
        EXPECT_TRUE(std::max(-*low, +*high) < 32767 && overall > 32767 * 0.05);
        if (!loop) {  // silent at both ends, so neither end clicks
            EXPECT_LE(std::max(std::abs(s.front()), std::abs(s.back())), 16);
            continue;
        }
        // No fade at either end, which would be heard as a gap at every turn of the loop.
        EXPECT_GT(std::min(rms(s, 0, 2205), rms(s, s.size() - 2205, 2205)), 0.3 * overall);
        // Played over and over, the last sample is followed by the first: that step must look
        // like an ordinary step of the music in size and slope, no larger than three in four.
        // A loop whose notes are cut at the end and start afresh jumps by several times that.
        std::vector<int> steps, bends;
        for (std::size_t i = 1; i + 1 < s.size(); ++i) {
            steps.push_back(std::abs(s[i] - s[i - 1]));
            bends.push_back(std::abs(s[i + 1] - 2 * s[i] + s[i - 1]));
        }
        for (std::vector<int>* v : {&steps, &bends}) {
            std::nth_element(v->begin(), v->begin() + v->size() * 3 / 4, v->end());
        }
        const int step = steps[steps.size() * 3 / 4], bend = bends[bends.size() * 3 / 4];
        const int last = s.back();
        EXPECT_LE(std::abs(s[0] - last), step);
        EXPECT_LE(std::abs(s[0] - 2 * last + s[s.size() - 2]), bend);
        EXPECT_LE(std::abs(s[1] - 2 * s[0] + last), bend);
    }
}

}  // namespace
}  // namespace quillomar
