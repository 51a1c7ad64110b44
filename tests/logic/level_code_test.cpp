// Level codes: every shipped level goes through a code and back, with and without a run, and each
// kind of hostile code gets its own line.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "authoring/shared_level.h"
#include "level/level.h"
#include "records/best_run.h"
#include "records/level_code.h"
#include "records/records_store.h"
#include "tests/support/level_code_text.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

namespace fs = std::filesystem;
using test::file_text;
using test::proven_run;

const std::string small_level = file_text("levels/01_rolling.txt");

// A code built by hand: the stated lengths and the zlib stream as given.
std::string code_of(std::uint32_t level_size, std::uint32_t run_size, const std::string& packed) {
    std::string bytes;
    for (const std::uint32_t v : {level_size, run_size}) {
        for (int s = 0; s < 32; s += 8) bytes.push_back(static_cast<char>(v >> s));
    }
    return test::level_code_around(bytes + packed);
}

std::string deflated(const std::string& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size,
             reinterpret_cast<const Bytef*>(plain.data()), static_cast<uLong>(plain.size()));
    packed.resize(size);
    return packed;
}

TEST(LevelCode, EveryShippedLevelComesBackWithAndWithoutItsRun) {
    for (const auto& entry : fs::directory_iterator("levels")) {
        if (entry.path().extension() != ".txt" || entry.path().filename() == "order.txt") {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        const std::string level_file = file_text(entry.path());
        const recording run = proven_run(level_file);
        ASSERT_FALSE(run.frames.empty());
        for (const bool with_run : {false, true}) {
            const std::string code =
                encode_level_code(level_file, with_run ? format_recording(run) : std::string());
            EXPECT_EQ(code.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                             "0123456789-_."),
                      std::string::npos);
            std::string why;
            const auto decoded = decode_level_code(code, &why);
            ASSERT_TRUE(decoded) << why;
            EXPECT_EQ(decoded->level_file, level_file);
            EXPECT_EQ(decoded->key, level_key(level_file));
            ASSERT_EQ(decoded->run.has_value(), with_run);
            if (with_run) {
                EXPECT_EQ(format_recording(*decoded->run), format_recording(run));
            }
        }
    }
}

TEST(LevelCode, ALinkAChatsWrappingAndBlanksAroundAreTheSameCode) {
    const std::string code = encode_level_code(small_level);
    const std::string wrapped = "  " + code.substr(0, 40) + "\r\n" + code.substr(40) + "\n";
    for (const std::string& text :
         {wrapped, "https://example.org/quillomar.html#level=" + code + "&name=x.txt"}) {
        std::string why;
        const auto decoded = decode_level_code(text, &why);
        ASSERT_TRUE(decoded) << why;
        EXPECT_EQ(decoded->level_file, small_level);
    }
}

TEST(LevelCode, EachHostileCodeGivesItsOwnLine) {
    const std::string good = encode_level_code(small_level);
    std::string other_level = small_level;
    other_level += "\n# another level\n";
    const std::string run_of_other = format_recording(proven_run(other_level));
    const std::string flipped = good.substr(0, 20) + (good[20] == 'A' ? 'B' : 'A') + good.substr(21);
    const struct {
        std::string code;
        const char* line;
    } cases[] = {
        {"", "There is no level code to read: the text is empty."},
        {"hello there", "This is no level code: a level code begins with QLM."},
        {"QLM2." + good.substr(5), "This level code is of version 2; this game reads version 1."},
        {"QLMx." + good.substr(5), "This is no level code: no version follows QLM."},
        {"QLM1", "The level code is cut short: nothing follows its version."},
        {"QLM1.AAAA", "The level code is cut short."},
        {good.substr(0, good.size() - 6), "The level code is damaged: its checksum does not match."},
        {flipped, "The level code is damaged: its checksum does not match."},
        {good + "!", "The level code is damaged: it holds a character no level code holds."},
        {code_of(0, 0, deflated("")), "The level code holds no level."},
        {code_of(static_cast<std::uint32_t>(max_level_file_bytes + 1), 0, deflated(small_level)),
         "The level code holds a level larger than 67108864 bytes."},
        {code_of(10, static_cast<std::uint32_t>(max_recording_bytes + 1), deflated(small_level)),
         "The level code holds a run larger than 67108864 bytes."},
        // A bomb: a megabyte of zeros said to be ten bytes.
        {code_of(10, 0, deflated(std::string(1 << 20, '\0'))),
         "The level code is damaged: it unpacks to more than it says."},
        {code_of(static_cast<std::uint32_t>(small_level.size() + 5), 0, deflated(small_level)),
         "The level code is damaged: it does not unpack."},
        {code_of(static_cast<std::uint32_t>(small_level.size()), 0, "not a zlib stream"),
         "The level code is damaged: it does not unpack."},
        {code_of(static_cast<std::uint32_t>(small_level.size()), 0, deflated(small_level) + "x"),
         "The level code is damaged: it does not unpack."},
        {encode_level_code("title only\n"), "The level in the code has no cubes to play on."},
        {encode_level_code(small_level, "quillomar-recording 9\n"),
         "The run in the level code is damaged: not a Quillomar recording."},
        {encode_level_code(small_level, run_of_other),
         "The run in the level code is of another level."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code.substr(0, 60));
        std::string why;
        EXPECT_FALSE(decode_level_code(c.code, &why));
        EXPECT_EQ(why, c.line);
    }
}

TEST(SharedLevel, APastedLevelIsKeptUnderItsKeyWithTheFasterRunToBeat) {
    test::scratch_dir records;
    const std::string folder = records.path().string();
    recording slow = proven_run(small_level);
    const std::string key = slow.level_key;
    recording fast = slow;
    fast.result->seconds -= 1.0;

    // The code of a level with no best run holds the level alone.
    fs::path level_path = records.path() / "mine.txt";
    std::ofstream(level_path, std::ios::binary) << small_level;
    bool with_run = true;
    std::string why;
    const auto alone = level_file_code(level_path.string(), folder, true, &why, &with_run);
    ASSERT_TRUE(alone) << why;
    EXPECT_FALSE(with_run);
    EXPECT_EQ(*alone, encode_level_code(small_level));

    const taken_code taken = take_level_code(encode_level_code(small_level, format_recording(slow)), folder);
    ASSERT_TRUE(taken.ok) << taken.line;
    EXPECT_EQ(taken.level_path, folder + "/shared/" + key + ".txt");
    EXPECT_EQ(file_text(taken.level_path), small_level);
    EXPECT_EQ(run_to_beat(folder, key)->result->seconds, slow.result->seconds);

    // A faster run of the player's own beats the sender's, and the code passes it on.
    ASSERT_TRUE(save_recording(fast, best_run_path(folder, key)));
    EXPECT_EQ(run_to_beat(folder, key)->result->seconds, fast.result->seconds);
    const auto passed_on = level_file_code(taken.level_path, folder, true, &why, &with_run);
    ASSERT_TRUE(passed_on);
    EXPECT_TRUE(with_run);
    EXPECT_EQ(decode_level_code(*passed_on, &why)->run->result->seconds, fast.result->seconds);

    // A damaged file under the level's key is replaced by the level.
    std::ofstream(taken.level_path, std::ios::binary) << "damaged";
    ASSERT_TRUE(take_level_code(encode_level_code(small_level), folder).ok);
    EXPECT_EQ(file_text(taken.level_path), small_level);

    // A slower sender's run pasted later does not replace a faster one kept before.
    fs::remove(best_run_path(folder, key));
    ASSERT_TRUE(take_level_code(encode_level_code(small_level, format_recording(fast)), folder).ok);
    ASSERT_TRUE(take_level_code(encode_level_code(small_level, format_recording(slow)), folder).ok);
    EXPECT_EQ(run_to_beat(folder, key)->result->seconds, fast.result->seconds);
}

// A tie keeps the player's own run; a run of another level, or none readable, in the player's
// place leaves the sender's.
TEST(SharedLevel, TheRunToBeatIsTheFasterRunOfItsOwnLevelAndATieIsThePlayers) {
    test::scratch_dir records;
    const std::string folder = records.path().string();
    const recording own = proven_run(small_level);
    const std::string key = own.level_key;
    recording sent = own;
    sent.frames.emplace_back();  // as fast, and yet another run
    ASSERT_TRUE(take_level_code(encode_level_code(small_level, format_recording(sent)), folder).ok);
    ASSERT_TRUE(save_recording(own, best_run_path(folder, key)));
    EXPECT_EQ(run_to_beat(folder, key)->frames.size(), own.frames.size());
    recording foreign = own;
    foreign.level_key = "0123456789abcdef";
    ASSERT_TRUE(save_recording(foreign, best_run_path(folder, key)));
    EXPECT_EQ(run_to_beat(folder, key)->frames.size(), sent.frames.size());
    std::ofstream(best_run_path(folder, key), std::ios::binary) << "damaged";
    EXPECT_EQ(run_to_beat(folder, key)->frames.size(), sent.frames.size());
    // A check stopped before its end keeps nothing.
    const std::atomic<bool> stop{true};
    const taken_code stopped =
        take_level_code(encode_level_code(small_level + "# stopped\n"), folder, &stop);
    EXPECT_FALSE(stopped.ok);
    EXPECT_EQ(stopped.line, "The pasted level was not checked.");
}

TEST(SharedLevel, ALevelThatCannotBeFinishedOrAHostileCodeIsNotKept) {
    test::scratch_dir records;
    const std::string folder = records.path().string();
    // Start and finish on islands no ball can cross between.
    const std::string islands = "start 0 0\nfinish 4 0\npath\n10001\n";
    for (const std::string& code : {encode_level_code(islands), std::string("QLM1.AAAA")}) {
        const taken_code taken = take_level_code(code, folder);
        EXPECT_FALSE(taken.ok);
        EXPECT_NE(taken.line.find(code.size() > 9 ? "not finishable" : "cut short"),
                  std::string::npos)
            << taken.line;
    }
    EXPECT_FALSE(fs::exists(records.path() / "shared"));
    EXPECT_FALSE(level_file_code((records.path() / "none.txt").string(), folder, false, nullptr));
}

}  // namespace
}  // namespace quillomar
