#include "sound/sound_engine.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "tests/support/test_support.h"

namespace quillomar {
namespace {

class SoundEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        // OpenAL Soft reads the driver list once, before the first device opens.
        setenv("ALSOFT_DRIVERS", "null", 1);
        engine = sound_engine::create();
        ASSERT_NE(engine, nullptr) << "the null output driver should always open";
    }

    // Writes a 16-bit PCM WAV sine at 22050 Hz and returns its path.
    std::string write_tone(const std::string& name, double seconds, int channels = 1) {
        const std::string path = dir.write(name, "");
        SF_INFO info{0, 22050, channels, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        std::vector<short> samples(static_cast<std::size_t>(seconds * 22050) * channels);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<short>(8000.0 * std::sin(0.05 * static_cast<double>(i)));
        }
        sf_write_short(file, samples.data(), sf_count_t(samples.size()));
        sf_close(file);
        return path;
    }

    test::scratch_dir dir;
    std::unique_ptr<sound_engine> engine;
};

TEST_F(SoundEngineTest, PlayStartsAtOnceAndStopAllStopsEverything) {
    write_tone("sounds/music.wav", 2.0, 2);
    const std::string music = dir.path().string() + "\\sounds\\music.wav";  // a game path
    const std::string jingle = write_tone("jingle.wav", 2.0);
    test::stream_capture out;
    for (const std::string& path : {music, jingle, music}) {
        engine->play_2d(path, false);
    }
    EXPECT_EQ(out.text(), "");
    EXPECT_EQ(engine->playing_count() + engine->active_sources(), 6u);
    EXPECT_EQ(engine->cached_buffers(), 2u) << "a file played twice is decoded once";
    engine->stop_all_sounds();
    EXPECT_EQ(engine->playing_count() + engine->active_sources(), 0u);
    engine->play_2d(music, false);
    EXPECT_EQ(engine->playing_count(), 1) << "the engine plays again after stop-all";
}

TEST_F(SoundEngineTest, TheContextWaitsForTheFirstSoundAndItsGainsAreKept) {
    engine->set_gains(0.25f, 0.5f);
    engine->stop_all_sounds();
    EXPECT_EQ(engine->playing_count(), 0);
    EXPECT_FALSE(engine->has_context()) << "a silent game holds no mixing voices";
    engine->play_2d(write_tone("tone.wav", 2.0), true);
    ASSERT_TRUE(engine->has_context());
    ALuint source = 0;
    for (ALuint name = 1; name < 64 && source == 0; ++name) {
        source = alIsSource(name) == AL_TRUE ? name : 0;
    }
    ALfloat gain = 0.0f;
    alGetSourcef(source, AL_GAIN, &gain);
    EXPECT_EQ(gain, 0.25f) << "the music's gain set before the context was opened";
}

// The sources OpenAL holds, whoever made them.
std::vector<ALuint> live_sources() {
    std::vector<ALuint> live;
    for (ALuint name = 1; name < 1024; ++name) {
        if (alIsSource(name) == AL_TRUE) {
            live.push_back(name);
        }
    }
    return live;
}

TEST_F(SoundEngineTest, StopAllSkipsASourceDeletedBehindItsBackAndStopsTheRest) {
    const std::string tone = write_tone("tone.wav", 2.0);
    engine->play_2d(tone, false);
    engine->play_2d(tone, true);
    ASSERT_EQ(live_sources().size(), 2u);
    alDeleteSources(1, &live_sources().front());
    engine->stop_all_sounds();
    EXPECT_TRUE(live_sources().empty()) << "the music went on playing";
    engine->stop_all_sounds();
    engine->play_2d(tone, false);
    EXPECT_EQ(engine->playing_count(), 1);
    EXPECT_EQ(live_sources().size(), 1u);
}

TEST_F(SoundEngineTest, UnreadableFilesPrintOneLineAndPlayNothing) {
    for (const std::string& path :
         {(dir.path() / "no_such.wav").string(), dir.write("garbage.wav", "not a sound file"),
          write_tone("empty.wav", 0.0), write_tone("quad.wav", 0.1, 4)}) {
        test::stream_capture out;
        engine->play_2d(path, false);
        ASSERT_EQ(out.lines().size(), 1u) << path;
        EXPECT_EQ(out.text().rfind("could not play sound file " + path + ": ", 0), 0u)
            << out.text();
        EXPECT_EQ(engine->active_sources() + engine->cached_buffers(), 0u);
    }
}

}  // namespace
}  // namespace quillomar
