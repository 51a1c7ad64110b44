// Writes cut by a kill: a game killed at any moment leaves no temporary after the next start's
// cleanup, and a record always stands beside its own best run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "framework/bounded_read.h"
#include "records/best_run.h"
#include "records/settings.h"
#include "records/stale_temporaries.h"
#include "records/statistics_store.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

namespace fs = std::filesystem;
const std::string key = "0123456789abcdef";

TEST(StaleTemporaries, OnlyTheGamesOwnFileNamesWithTheTemporarySuffixGo) {
    const std::pair<const char*, bool> names[] = {
        {"records.txt.Ab12Cd", true},
        {"statistics.txt.000000", true},
        {"medals.txt.damaged.3.xYz123", true},
        {"settings.txt.damaged.abcdef", true},
        {"0123456789abcdef.replay.Q1w2E3", true},
        {"2026-12-07_14-03-22.replay.a1b2c3", true},
        {"2026-12-07_14-03-22-2.replay.a1b2c3", true},
        {"seed-42.txt.AAAAAA", true},
        {"records.txt", false},
        {"records.txt.damaged", false},
        {"records.txt.damaged.2", false},
        {"records.txt.Ab12C", false},
        {"records.txt.Ab12Cde", false},
        {"records.txt.Ab-2Cd", false},
        {"records.txtxAb12Cd", false},
        {"xrecords.txt.Ab12Cd", false},
        {"level.txt.Ab12Cd", false},
        {"records.txt.damaged.x.Ab12Cd", false},
        {"0123456789ABCDEF.replay.Ab12Cd", false},
        {"0123456789abcde.replay.Ab12Cd", false},
        {"my.replay.Ab12Cd", false},
        {"2026-12-07_14-03-2x.replay.Ab12Cd", false},
        {"2026-12-07_14-03-22-.replay.Ab12Cd", false},
        {"seed-4x.txt.Ab12Cd", false},
        {"seed-.txt.Ab12Cd", false},
        {"seed-42.text.Ab12Cd", false},
    };
    for (const auto& [name, own] : names) {
        EXPECT_EQ(is_own_temporary_name(name), own) << name;
    }
    // Of names that match, only plain files go: never a folder or a link (nor what it names).
    const test::scratch_dir dir;
    const std::string target = dir.write("outside/records.txt", "keep");
    dir.write("f/records.txt.Ab12Cd", "half");
    dir.write("f/records.txt.damaged", "keep");
    fs::create_directory(dir.path() / "f/settings.txt.Zz99Zz");
    fs::create_symlink(target, dir.path() / "f/statistics.txt.Ab12Cd");
    EXPECT_EQ(remove_stale_temporaries((dir.path() / "f").string()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "f"), {}), 3);
    EXPECT_TRUE(fs::exists(target));
    EXPECT_EQ(remove_stale_temporaries((dir.path() / "none").string()), 0);
}

// The run whose time is `seconds`: its length says which it is, whatever its result line says.
recording run_of(double seconds) {
    recording run;
    run.level_key = key;
    run.frames.resize(static_cast<std::size_t>(2000 - seconds));
    return run;
}

std::optional<recording> best_run(const std::string& folder) {
    std::string text;
    read_bounded(best_run_path(folder, key), max_recording_bytes, text);
    return parse_recording(text);
}

TEST(KeptRuns, AKillBetweenTheRunAndItsRecordIsFinishedAtTheNextStart) {
    const test::scratch_dir dir;
    const std::string folder = dir.path().string();
    const test::stream_capture quiet;
    // An old records.txt, as earlier games wrote it, loads with nothing set aside.
    const std::string old = "quillomar-records 1\nfedcba9876543210 12.5 0 a.txt\n";
    dir.write("records.txt", old);
    records_store records(folder);
    records.load();
    EXPECT_TRUE(keep_won_run(records, run_of(900), "l.txt", 900, 3));
    EXPECT_FALSE(keep_won_run(records, run_of(950), "l.txt", 950, 3));
    EXPECT_TRUE(keep_won_run(records, run_of(950), "l.txt", 950, 1));  // fewer lives only
    EXPECT_EQ(best_run(folder)->frames.size(), run_of(900).frames.size());
    // What a kill after the best run's write leaves: the run, its record not yet written.
    recording faster = run_of(800);
    faster.result = run_result{800, 4};
    save_recording(faster, best_run_path(folder, key));
    records_store restarted(folder);
    restarted.load();
    EXPECT_EQ(settle_best_runs(restarted), 1);
    EXPECT_EQ(settle_best_runs(restarted), 0);
    EXPECT_EQ(restarted.find(key)->best_time_seconds, 800);
    EXPECT_EQ(restarted.find(key)->fewest_lives_lost, 1);
    EXPECT_EQ(quiet.text(), "");
    EXPECT_FALSE(fs::exists(folder + "/records.txt.damaged"));
    std::string now;
    read_bounded(folder + "/records.txt", 4096, now);
    EXPECT_NE(now.find(old.substr(20)), std::string::npos) << now;
}

TEST(KeptRuns, KillsAtRandomMomentsLeaveNoTemporaryAndEveryRecordBesideItsOwnRun) {
    const test::scratch_dir dir;
    const std::string folder = (dir.path() / "data").string();
    const std::string settings = (dir.path() / "config/settings.txt").string();
    std::mt19937 random(7);
    int cut_keeps = 0;
    fs::create_directories(folder);
    fs::create_directories(fs::path(settings).parent_path());
    for (int round = 0; round < 40; ++round) {
        const pid_t child = fork();
        if (child == 0) {
            // Better and better runs, each with the other files a won run writes, until killed.
            records_store records(folder);
            records.load();
            const level_record* best = records.find(key);
            for (double seconds = best ? best->best_time_seconds : 1999; seconds > 1; --seconds) {
                keep_won_run(records, run_of(seconds), "l.txt", seconds, 0);
                statistics_store(folder).save();
                settings_file(settings).save({});
            }
            _exit(0);
        }
        usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        for (const std::string& f : {folder, fs::path(settings).parent_path().string()}) {
            cut_keeps += remove_stale_temporaries(f);
            for (const auto& entry : fs::directory_iterator(f)) {
                EXPECT_FALSE(is_own_temporary_name(entry.path().filename().string()));
            }
        }
        records_store records(folder);
        records.load();
        cut_keeps += settle_best_runs(records);
        const std::optional<recording> run = best_run(folder);
        if (records.find(key) != nullptr || run) {
            ASSERT_TRUE(run && records.find(key)) << round;
            EXPECT_EQ(run->frames.size(),
                      run_of(records.find(key)->best_time_seconds).frames.size())
                << round;
        }
    }
    EXPECT_GT(cut_keeps, 0) << "no kill fell inside a write";
}

}  // namespace
}  // namespace quillomar
