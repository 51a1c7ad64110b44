// Writes cut by a kill: a game killed at any moment leaves no temporary after the next start's
// cleanup, and a record always stands beside its own best run.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <sstream>

#include "framework/bounded_read.h"
#include "records/atomic_file.h"
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
    std::istringstream names(
        "+records.txt.Ab12Cd +statistics.txt.000000 +medals.txt.damaged.3.xYz123 "
        "+settings.txt.damaged.abcdef +0123456789abcdef.replay.Q1w2E3 +seed-42.txt.AAAAAA "
        "+2026-12-07_14-03-22.replay.a1b2c3 +2026-12-07_14-03-22-2.replay.a1b2c3 -records.txt "
        "-records.txt.damaged -records.txt.Ab12C -records.txt.Ab12Cde -records.txt.Ab-2Cd "
        "-records.txtxAb12Cd -xrecords.txt.Ab12Cd -level.txt.Ab12Cd "
        "-records.txt.damaged.x.Ab12Cd -0123456789ABCDEF.replay.Ab12Cd "
        "-0123456789abcde.replay.Ab12Cd -2026-12-07_14-03-2x.replay.Ab12Cd -seed-.txt.Ab12Cd "
        "-2026-12-07_14-03-22-.replay.Ab12Cd -seed-4x.txt.Ab12Cd "
        "-0123456789abcdef.replaY.Ab12Cd");
    for (std::string name; names >> name;) {
        EXPECT_EQ(is_own_temporary_name(name.substr(1)), name[0] == '+') << name;
    }
    // Of names that match, only plain files go: never a folder or a link (nor what it names).
    const test::scratch_dir dir;
    const std::string target = dir.write("outside/records.txt", "keep");
    dir.write("f/records.txt.Ab12Cd", "half");
    fs::create_directory(dir.path() / "f/settings.txt.Zz99Zz");
    fs::create_symlink(target, dir.path() / "f/statistics.txt.Ab12Cd");
    EXPECT_EQ(remove_stale_temporaries((dir.path() / "f").string()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "f"), {}), 2);
    EXPECT_TRUE(fs::exists(target));
}

// The run of a time: its length says which it is, whatever its result line says.
recording run_of(double seconds) {
    return recording{key, std::vector<frame_input>(static_cast<std::size_t>(2000 - seconds))};
}

std::size_t best_run_length(const std::string& folder) {
    std::string text;
    read_bounded(best_run_path(folder, key), max_recording_bytes, text);
    const std::optional<recording> run = parse_recording(text);
    return run ? run->frames.size() : 0;
}

TEST(RemoveFileDurably, AFileGoesAMissingOneIsGoneAlreadyAFolderWithFilesStays) {
    const test::scratch_dir dir;
    const std::string queued = dir.write("outbox/1.run", "run");
    const std::string kept = dir.write("outbox/2.run", "run");
    std::string why;
    EXPECT_TRUE(remove_file_durably(queued, &why)) << why;
    EXPECT_FALSE(fs::exists(queued));
    EXPECT_TRUE(fs::exists(kept));
    EXPECT_TRUE(remove_file_durably(queued, &why)) << why;
    EXPECT_FALSE(remove_file_durably((dir.path() / "outbox").string(), &why));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(fs::exists(kept));
}

TEST(KeptRuns, KillsAtRandomMomentsLeaveNoTemporaryAndEveryRecordBesideItsOwnRun) {
    const test::scratch_dir dir;
    const std::string folder = (dir.path() / "data").string();
    const std::string config = (dir.path() / "config").string();
    fs::create_directories(config);
    // A records.txt as earlier games wrote it loads with nothing set aside.
    dir.write("data/records.txt", "quillomar-records 1\nfedcba9876543210 12.5 0 a.txt\n");
    std::mt19937 random(7);
    int cut = 0;
    const test::stream_capture quiet;
    for (int round = 0; round < 40; ++round) {
        const pid_t child = fork();
        if (child == 0) {
            // Better and better runs, each with the other files a won run writes, until killed.
            records_store records(folder);
            records.load();
            const level_record* best = records.find(key);
            for (double seconds = best ? best->best_time_seconds - 1 : 1999; seconds > 1;
                 --seconds) {
                keep_won_run(records, run_of(seconds), "l.txt", seconds, 2 * int(seconds) + 1);
                // A slower run losing fewer lives changes the record, never the run.
                keep_won_run(records, run_of(seconds + 0.5), "l.txt", seconds + 0.5,
                             2 * int(seconds));
                statistics_store(folder).save();
                settings_file(config + "/settings.txt").save({});
            }
            _exit(0);
        }
        usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        for (const std::string& f : {folder, config}) {
            cut += remove_stale_temporaries(f);
            for (const auto& entry : fs::directory_iterator(f)) {
                EXPECT_FALSE(is_own_temporary_name(entry.path().filename().string()));
            }
        }
        records_store records(folder);
        records.load();
        cut += settle_best_runs(records);
        const level_record* best = records.find(key);
        EXPECT_EQ(best_run_length(folder), best ? run_of(best->best_time_seconds).frames.size() : 0)
            << round;
        EXPECT_EQ(records.find("fedcba9876543210")->best_time_seconds, 12.5);
    }
    EXPECT_GT(cut, 0) << "no kill fell inside a write";
    records_store last(folder);
    last.load();
    const std::string no_key = "../0123456789abc";  // a best run is never written outside
    EXPECT_TRUE(last.find(key) && !keep_won_run(last, recording{no_key, {}}, "x", 1, 0) &&
                !fs::exists(best_run_path(folder, no_key)));
    EXPECT_EQ(quiet.text(), "");
}

}  // namespace
}  // namespace quillomar
