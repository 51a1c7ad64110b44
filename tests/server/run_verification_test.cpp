// The server's replay: an honest run counts with the replay's own time; every edit that would
// make it count faster, or count on another level, and every run that is no finish, is refused
// with its reason.
#include <gtest/gtest.h>

#include <string>

#include "game/recording.h"
#include "records/records_store.h"
#include "server/run_verification.h"
#include "tests/server/server_fixtures.h"

namespace quillomar::server {
namespace {

using test::rolling_run;

// The ball rolls from the start (1, 2) over (1, 1) and off its far edge.
const std::string edge = "start 1 2\nfinish 9 9\npath\n\n111\n111\n";

// The honest recording with its frame lines cut to the first `keep`.
std::string cut_to(std::string text, long keep) {
    std::optional<recording> run = parse_recording(text);
    run->frames.resize(static_cast<std::size_t>(keep));
    return format_recording(*run);
}

// A recording of `frames` ticks on the level `text`, every tick holding forward.
std::string forward_run(const std::string& text, std::size_t frames) {
    recording run;
    run.level_key = level_key(text);
    run.frames.resize(frames);
    for (frame_input& f : run.frames) {
        f.hold(command::forward);
    }
    return format_recording(run);
}

std::string with_result(double seconds, int lives_lost) {
    std::optional<recording> run = parse_recording(rolling_run().recording);
    run->result = run_result{seconds, lives_lost};
    return format_recording(*run);
}

TEST(RunVerification, AnHonestRunCountsWithTheTicksTheReplayTook) {
    const test::honest_run& honest = rolling_run();
    const run_verdict verdict = verify_run(honest.level_text, honest.recording);
    EXPECT_TRUE(verdict.finished) << verdict.reason;
    EXPECT_EQ(verdict.ticks, honest.ticks);
    EXPECT_NEAR(verdict.seconds, honest.seconds, 1e-9);
    EXPECT_EQ(verdict.lives_lost, 0);
    // A result line that tells the truth, to a thousandth, changes nothing.
    EXPECT_TRUE(verify_run(honest.level_text, with_result(verdict.seconds, 0)).finished);
    EXPECT_TRUE(verify_run(honest.level_text, with_result(verdict.seconds + 0.0004, 0)).finished);
    EXPECT_FALSE(verify_run(honest.level_text, with_result(verdict.seconds + 0.0006, 0)).finished);
    // Frames after the finish are no part of the run.
    std::optional<recording> longer = parse_recording(honest.recording);
    longer->frames.resize(longer->frames.size() + 600);
    const run_verdict past_the_finish = verify_run(honest.level_text, format_recording(*longer));
    EXPECT_EQ(past_the_finish.ticks, honest.ticks);
    EXPECT_EQ(past_the_finish.hash, verdict.hash);
    EXPECT_NE(verdict.hash, 0u);
}

// Backing off the south edge, waiting out the fall, then rolling north to the finish: the run
// counts, with the life it cost.
TEST(RunVerification, AFinishAfterAFallCountsWithTheLifeLost) {
    const std::string level = "start 1 4\nfinish 1 0\npath\n111\n111\n111\n111\n111\n111\n";
    recording run;
    run.level_key = level_key(level);
    run.frames.resize(80 + 120 + 600);
    for (std::size_t i = 0; i < run.frames.size(); ++i) {
        if (i < 80 || i >= 200) {
            run.frames[i].hold(i < 80 ? command::back : command::forward);
        }
    }
    const run_verdict verdict = verify_run(level, format_recording(run));
    EXPECT_TRUE(verdict.finished) << verdict.reason;
    EXPECT_EQ(verdict.lives_lost, 1);
}

TEST(RunVerification, EditedAndForeignRecordingsAreRefusedWithTheirReason) {
    const test::honest_run& honest = rolling_run();
    std::optional<recording> frame_by_frame = parse_recording(honest.recording);
    frame_by_frame->version = 1;
    const std::string other_level = "title Other\nstart 1 1\nfinish 1 3\npath\n000\n010\n010\n010\n000\n";
    struct edit {
        const char* what;
        std::string level;
        std::string recording;
        const char* reason;
    };
    const edit edits[] = {
        {"claims a faster time", honest.level_text, with_result(honest.seconds - 1.0, 0),
         "the recording claims"},
        {"claims another count of lives lost", honest.level_text,
         with_result(honest.seconds, 1), "the recording claims"},
        {"frames cut before the finish", honest.level_text, cut_to(honest.recording, honest.ticks / 2),
         "the run ends before the finish"},
        {"another level's key", other_level, honest.recording,
         "the recording is a run of another level"},
        {"not a recording", honest.level_text, "hello\n", "the recording is damaged"},
        {"empty", honest.level_text, "", "the recording is empty"},
        {"recorded frame by frame", honest.level_text, format_recording(*frame_by_frame),
         "the recording was not recorded tick by tick"},
        {"longer than an hour", honest.level_text, forward_run(honest.level_text, 3600 * 60 + 1),
         "the recording is longer than an hour of play"},
        {"larger than any recording", honest.level_text, std::string(max_recording_bytes + 1, '\n'),
         "the recording is larger than"},
        {"as large as a recording may be", honest.level_text, std::string(max_recording_bytes, '\n'),
         "the recording is damaged"},
        {"a level with nothing to play on", "title Flat\n", forward_run("title Flat\n", 1),
         "the level has nothing to play on"},
        {"every life lost", edge, forward_run(edge, 60 * 60 * 5), "the run loses every life"},
    };
    for (const edit& e : edits) {
        const run_verdict verdict = verify_run(e.level, e.recording);
        EXPECT_FALSE(verdict.finished) << e.what;
        EXPECT_EQ(verdict.reason.rfind(e.reason, 0), 0u) << e.what << ": " << verdict.reason;
    }
}

}  // namespace
}  // namespace quillomar::server
