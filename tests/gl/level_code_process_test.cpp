// A level copied in one game and pasted in another: two game processes with folders of their
// own on one X server of the test's own, the code going through that server's clipboard.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "records/best_run.h"
#include "records/records_store.h"
#include "tests/support/process.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

TEST(LevelCodeProcess, ALevelCopiedInOneGameIsPastedInAnotherWithTheSendersRun) {
    // Both games on the test's own X server, whose clipboard no other test touches.
    ASSERT_NE(test::own_display(), nullptr) << "no X display";
    const std::string display = test::own_display();
    const auto keys = [&display](unsigned long window, const std::string& keys) {
        return std::system(("DISPLAY=" + display + " xdotool windowfocus --sync " +
                            std::to_string(window) + " key --delay 150 " + keys + " >/dev/null")
                               .c_str());
    };

    // The sender has won the first level of the set: its best run is the one to pass on.
    const test::scratch_dir sender_dir;
    const test::scratch_dir receiver_dir;
    const std::string level_text = test::file_text(test::source_dir() / "levels/01_rolling.txt");
    const std::string key = level_key(level_text);
    const recording best = test::proven_run(level_text);
    ASSERT_FALSE(best.frames.empty());
    const std::string sender_records = (sender_dir.path() / "data/quillomar").string();
    std::filesystem::create_directories(sender_records);
    ASSERT_TRUE(save_recording(best, best_run_path(sender_records, key)));

    const auto start = [&display](const test::scratch_dir& home) {
        return std::make_unique<test::child_process>(
            std::string(QUILLOMAR_BINARY_DIR) + "/quillomar", test::source_dir().string(),
            std::vector<std::string>{"ASAN_OPTIONS=detect_leaks=0", "ALSOFT_DRIVERS=null",
                                     "DISPLAY=" + display,
                                     "XDG_DATA_HOME=" + (home.path() / "data").string(),
                                     "XDG_CONFIG_HOME=" + (home.path() / "config").string()},
            std::vector<std::string>{"--menu"});
    };
    auto sender = start(sender_dir);
    const unsigned long sender_window = sender->wait_for_window(60, display);
    ASSERT_NE(sender_window, 0u) << sender->standard_error();
    ASSERT_TRUE(sender->wait_for_output("finished loading", 60));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    // Levels, the first row, Ctrl+C.
    ASSERT_EQ(keys(sender_window, "Down Return Up Up Up Up Up Up ctrl+c"), 0);
    ASSERT_TRUE(sender->wait_for_output("Level code copied, with the best run", 60))
        << sender->standard_output() << sender->standard_error();

    auto receiver = start(receiver_dir);
    const unsigned long receiver_window = receiver->wait_for_window(60, display);
    ASSERT_NE(receiver_window, 0u) << receiver->standard_error();
    ASSERT_TRUE(receiver->wait_for_output("finished loading", 60));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_EQ(keys(receiver_window, "ctrl+v"), 0);
    ASSERT_TRUE(receiver->wait_for_output("Pasted level " + key, 60))
        << receiver->standard_output() << receiver->standard_error();
    EXPECT_NE(receiver->standard_output().find("with a run to beat"), std::string::npos);

    // Kept under its key, with the sender's run, which the receiver's play races as its ghost.
    const std::filesystem::path shared = receiver_dir.path() / "data/quillomar/shared";
    EXPECT_EQ(test::file_text(shared / (key + ".txt")), level_text);
    EXPECT_EQ(test::file_text(shared / (key + ".replay")), format_recording(best));
}

}  // namespace
}  // namespace quillomar
