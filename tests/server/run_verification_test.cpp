// The server's replay: an honest run counts with the replay's own time; every edit that would
// make it count faster, or count on another level, is refused with its reason.
#include <gtest/gtest.h>

#include <string>

#include "game/recording.h"
#include "server/run_verification.h"
#include "tests/server/server_fixtures.h"

namespace quillomar::server {
namespace {

using test::rolling_run;

// The honest recording with its frame lines cut to the first `keep`.
std::string cut_to(std::string text, long keep) {
    std::optional<recording> run = parse_recording(text);
    run->frames.resize(static_cast<std::size_t>(keep));
    return format_recording(*run);
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
    // A result line that tells the truth changes nothing.
    EXPECT_TRUE(verify_run(honest.level_text, with_result(verdict.seconds, 0)).finished);
    // Frames after the finish are no part of the run.
    std::optional<recording> longer = parse_recording(honest.recording);
    longer->frames.resize(longer->frames.size() + 600);
    EXPECT_EQ(verify_run(honest.level_text, format_recording(*longer)).ticks, honest.ticks);
}

TEST(RunVerification, EditedAndForeignRecordingsAreRefusedWithTheirReason) {
    const test::honest_run& honest = rolling_run();
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
    };
    for (const edit& e : edits) {
        const run_verdict verdict = verify_run(e.level, e.recording);
        EXPECT_FALSE(verdict.finished) << e.what;
        EXPECT_EQ(verdict.reason.rfind(e.reason, 0), 0u) << e.what << ": " << verdict.reason;
    }
}

}  // namespace
}  // namespace quillomar::server
