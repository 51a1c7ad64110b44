// The game against the real record server on 127.0.0.1: a won run is ranked with the server's
// own time, a win while the server is down is kept and said to be, and it is sent once the
// server answers again.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "records/run_outbox.h"
#include "tests/support/game_driver.h"
#include "tests/support/process.h"

namespace quillomar {
namespace {

// The first lesson: W held alone rolls to its finish.
std::string first_lesson() {
    std::ifstream file(QUILLOMAR_SOURCE_DIR "/levels/01_rolling.txt");
    return std::string(std::istreambuf_iterator<char>(file), {});
}

#ifdef QUILLOMAR_SERVER_BINARY
std::unique_ptr<test::child_process> start_server(int port, const std::string& database) {
    auto server = std::make_unique<test::child_process>(
        QUILLOMAR_SERVER_BINARY, QUILLOMAR_SOURCE_DIR, std::vector<std::string>{},
        std::vector<std::string>{"--listen", "127.0.0.1:" + std::to_string(port), "--database",
                                 "sqlite:" + database, "--verifiers", "1"});
    server->wait_for_output("listening", 10);
    return server;
}
#endif

// Frames (the clock half a second on each) until the HUD holds `text`, in real time too: the
// answers come from another process.
bool frames_until(test::game_driver& d, const std::string& text, double seconds = 30.0) {
    for (int i = 0; i < seconds * 20 && !test::hud_shows(d, text, true); ++i) {
        d.frames(1, false, 0.5);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!test::hud_shows(d, text, true)) {
        for (const hud_line& line : d.game().shell_hud_lines()) {
            std::cerr << "  HUD: " << line.text << "\n";
        }
        return false;
    }
    return true;
}

void win(test::game_driver& d) {
    test::until_screen(d, "play");
    d.hold(command::forward);
    test::until_screen(d, "win", 60 * 60);
    d.release(command::forward);
}

TEST(OnlineGame, AWinIsRankedByTheServerKeptWhileItIsDownAndSentWhenItIsBack) {
#ifndef QUILLOMAR_SERVER_BINARY
    GTEST_SKIP() << "the record server is not built here";
#else
    const test::scratch_dir dir;
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    const std::string data = (dir.path() / "data").string();
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    const int port = test::free_port();
    const std::string database = (dir.path() / "records.db").string();
    auto server = start_server(port, database);
    ASSERT_TRUE(server->running()) << server->standard_error();
    dir.write("quillomar/settings.txt", "quillomar-settings 1\nlevel-preview off\nserver http://127.0.0.1:" +
                                            std::to_string(port) + "\nsend-runs on\n");
    const std::string level_text = first_lesson();
    const std::string path = dir.write("a.txt", level_text);
    test::game_driver d(level_text, false);
    d.start_from_menu(dir.write("order.txt", path + " Only\n"));
    press(d, {GLFW_KEY_ENTER});
    win(d);
    ASSERT_EQ(d.game().screen_name(), "win");
    // The level is uploaded, checked, and the run replayed: its rank and the server's time.
    const game_state& s = d.game().session()->state();
    const std::string time = format_run_time(s.finish_time - s.play_started);
    EXPECT_TRUE(frames_until(d, "Sent: rank 1 (" + time + ", checked by the server)"))
        ;

    // The server goes; the next win is kept.
    server.reset();
    press(d, {GLFW_KEY_ENTER});
    win(d);
    EXPECT_TRUE(frames_until(d, "Offline: run kept, will be sent later", 10.0));
    run_outbox outbox(data + "/quillomar");
    EXPECT_EQ(outbox.waiting().size(), 1u);

    // Back again on the same records: the outbox is sent within the wait, and emptied.
    server = start_server(port, database);
    for (int i = 0; i < 600 && !outbox.waiting().empty(); ++i) {
        d.frames(1, false, 0.5);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(outbox.waiting().empty());
    EXPECT_TRUE(frames_until(d, "Sent: rank 1 (", 10.0));

    // Online from the title menu lists the level; with the server gone it says so in one line,
    // and Escape goes back.
    press(d, {GLFW_KEY_ESCAPE});
    ASSERT_EQ(d.game().screen_name(), "pause");
    press(d, {GLFW_KEY_UP, GLFW_KEY_UP, GLFW_KEY_ENTER});
    until_screen(d, "title");
    press(d, {GLFW_KEY_UP, GLFW_KEY_UP, GLFW_KEY_UP, GLFW_KEY_ENTER});
    ASSERT_EQ(d.game().screen_name(), "online");
    EXPECT_TRUE(frames_until(d, "played 2, records 1", 10.0));
    server.reset();
    press(d, {GLFW_KEY_RIGHT});
    EXPECT_TRUE(frames_until(d, "Offline: ", 10.0));
    press(d, {GLFW_KEY_ESCAPE});
    EXPECT_EQ(d.game().screen_name(), "title");
#endif
}

}  // namespace
}  // namespace quillomar
