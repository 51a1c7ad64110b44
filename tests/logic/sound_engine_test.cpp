#include "sound/sound_engine.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_support.h"

namespace quillomar {
namespace {

// Writes a 16-bit PCM WAV sine of the given length and returns its path.
std::string write_tone(const test::scratch_dir& dir, const std::string& name, double seconds,
                       int channels = 1) {
    const std::filesystem::path file_path = dir.path() / name;
    std::filesystem::create_directories(file_path.parent_path());
    const std::string path = file_path.string();
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    if (file == nullptr) {
        return path;
    }
    const auto frames = static_cast<sf_count_t>(seconds * info.samplerate);
    std::vector<short> samples(static_cast<std::size_t>(frames * channels));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<short>(8000.0 * std::sin(0.05 * static_cast<double>(i)));
    }
    sf_writef_short(file, samples.data(), frames);
    sf_close(file);
    return path;
}

// Polls until the condition holds or `limit` has passed; the null device mixes in real time.
template <typename condition>
bool wait_for(condition done, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto give_up = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > give_up) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class SoundEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        // OpenAL Soft reads the driver list once, before the first device opens.
        setenv("ALSOFT_DRIVERS", "null", 1);
        engine = sound_engine::create();
        ASSERT_NE(engine, nullptr) << "the null output driver should always open";
    }

    test::scratch_dir dir;
    std::unique_ptr<sound_engine> engine;
};

TEST_F(SoundEngineTest, PlayStartsAtOnceAndStopAllStopsEverything) {
    const std::string music = write_tone(dir, "music.wav", 2.0, 2);
    const std::string jingle = write_tone(dir, "jingle.wav", 2.0);

    engine->play_2d(music, false);
    EXPECT_EQ(engine->playing_count(), 1);
    engine->play_2d(jingle, false);
    engine->play_2d(music, false);
    EXPECT_EQ(engine->playing_count(), 3);
    EXPECT_EQ(engine->active_sources(), 3u);
    EXPECT_EQ(engine->cached_buffers(), 2u) << "a file played twice is decoded once";

    engine->stop_all_sounds();
    EXPECT_EQ(engine->playing_count(), 0);
    EXPECT_EQ(engine->active_sources(), 0u);

    engine->play_2d(music, false);
    EXPECT_EQ(engine->playing_count(), 1) << "the engine plays again after stop-all";
}

TEST_F(SoundEngineTest, LoopedSoundKeepsPlayingPastItsEnd) {
    const std::string blip = write_tone(dir, "blip.wav", 0.02);
    engine->play_2d(blip, true);
    engine->play_2d(blip, false);
    ASSERT_TRUE(wait_for([&] { return engine->playing_count() == 1; }))
        << "the single-shot copy should have finished";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(engine->playing_count(), 1) << "five times its length later, the loop still plays";

    engine->stop_all_sounds();
    EXPECT_EQ(engine->playing_count(), 0);
}

TEST_F(SoundEngineTest, FinishedSourcesAreReclaimed) {
    const std::string blip = write_tone(dir, "blip.wav", 0.01);
    for (int round = 0; round < 5; ++round) {
        engine->play_2d(blip, false);
        EXPECT_EQ(engine->active_sources(), 1u) << "round " << round;
        ASSERT_TRUE(wait_for([&] { return engine->playing_count() == 0; }));
    }
    EXPECT_EQ(engine->cached_buffers(), 1u);
}

TEST_F(SoundEngineTest, UnreadableFilesPrintOneLineAndPlayNothing) {
    const std::string missing = (dir.path() / "no_such.wav").string();
    const std::string garbage = dir.write("garbage.wav", "this is not a sound file");
    const std::string quiet = write_tone(dir, "quiet.wav", 0.0);

    for (const std::string& path : {missing, garbage, quiet}) {
        test::stream_capture out;
        engine->play_2d(path, false);
        const std::vector<std::string> lines = out.lines();
        ASSERT_EQ(lines.size(), 1u) << path;
        EXPECT_NE(lines[0].find(path), std::string::npos) << lines[0];
        EXPECT_EQ(engine->active_sources(), 0u);
        EXPECT_EQ(engine->cached_buffers(), 0u);
    }
}

TEST_F(SoundEngineTest, GamePathsAreMappedToThisPlatform) {
    write_tone(dir, "sounds/tone.wav", 0.5);
    const std::string game_path = dir.path().string() + "\\sounds\\tone.wav";
    test::stream_capture out;
    engine->play_2d(game_path, false);
    EXPECT_EQ(out.text(), "");
    EXPECT_EQ(engine->playing_count(), 1);
}

TEST_F(SoundEngineTest, RunningOutOfSourcesPrintsALinePerRefusedSound) {
    const std::string tone = write_tone(dir, "tone.wav", 2.0);
    constexpr int plays = 1000;
    test::stream_capture out;
    for (int i = 0; i < plays; ++i) {
        engine->play_2d(tone, false);
    }
    EXPECT_LT(engine->active_sources(), static_cast<std::size_t>(plays)) << "none was refused";
    EXPECT_EQ(engine->active_sources() + out.lines().size(), static_cast<std::size_t>(plays));
    EXPECT_EQ(engine->playing_count(), static_cast<int>(engine->active_sources()));
    engine->stop_all_sounds();
    EXPECT_EQ(engine->active_sources(), 0u);
    EXPECT_EQ(engine->playing_count(), 0);
}

TEST(SoundEngine, CreateGivesNullWhenTheDeviceCannotOpen) {
    setenv("ALSOFT_DRIVERS", "null", 1);
    EXPECT_EQ(sound_engine::create("Quillomar test: no such output device"), nullptr);
    // A failed open leaves nothing behind: the default device still opens afterwards.
    EXPECT_NE(sound_engine::create(), nullptr);
}

TEST(SoundEngine, EnginesCanFollowEachOther) {
    setenv("ALSOFT_DRIVERS", "null", 1);
    for (int i = 0; i < 3; ++i) {
        auto engine = sound_engine::create();
        ASSERT_NE(engine, nullptr);
    }
}

}  // namespace
}  // namespace quillomar
