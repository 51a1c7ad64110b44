// The level editor's mode of the shell: one level file's editing session, the cursor cell, the
// check that runs on a worker thread after every change, and what the HUD says. The shell hands
// it the keys each frame and draws the state it gives; a play-test is the shell's play mode on
// the level this mode hands over.
#pragma once

#include <atomic>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "authoring/level_check.h"
#include "authoring/level_edit_session.h"
#include "authoring/top_down_view.h"
#include "game/game_core.h"
#include "game/hud_lines.h"

namespace quillomar {

class key_input;

class edit_mode {
public:
    // What the shell should do after a frame of editing.
    enum class request { none, play_test };

    // The level in `path`, or a new empty one when there is no such file; null after one
    // console line naming the file when it cannot be read.
    static std::unique_ptr<edit_mode> open(const std::string& path);
    ~edit_mode();
    edit_mode(const edit_mode&) = delete;
    edit_mode& operator=(const edit_mode&) = delete;

    // One frame of editing: the keys and the click taken from `keys`, for a picture `aspect`
    // times as wide as it is high.
    request update(key_input& keys, float aspect);
    // An Escape press: true when the editor ends. With unsaved changes the first one only asks.
    bool escape();
    // Back from a play-test that ended this way ("finished in 0:05.2", "lost", "stopped").
    void play_test_ended(const std::string& how);

    // The level as it stands, read as the game reads a file: what F5 plays.
    level current_level() const;
    // The state to draw: the level from above with the ball on its start.
    game_state& view(float aspect);
    // Where the cursor is drawn: a translucent ball over the cursor cell.
    glm::mat4 cursor_matrix() const;
    // The HUD for a window `window_height` pixels high: the file, the cursor cell, the check's
    // verdict and the latest save or refusal at the top, the keys at the bottom.
    std::vector<hud_line> hud_lines(int window_height) const;

    grid_cell cursor() const { return cursor_; }
    const level_edit_session& session() const { return session_; }
    // The check's verdict in a few words, "checking" while it runs.
    const std::string& verdict() const { return verdict_; }
    // Waits for the running check (tests and tools).
    void wait_for_check();

private:
    explicit edit_mode(level_edit_session session);
    void handle_keys(key_input& keys, float aspect);
    void changed(const edit_result& result);
    void start_check();
    void take_check_when_ready();
    void rebuild_view();
    top_down_view framing(float aspect) const;

    level_edit_session session_;
    grid_cell cursor_;
    grid_cell extent_{1, 1};  // columns and rows the level's cubes span
    std::unique_ptr<game_core> view_core_;
    // The check of the latest state, and older ones told to stop and left to end on their own:
    // a future of std::async waits for its thread when dropped.
    std::future<level_verdict> check_;
    std::shared_ptr<std::atomic<bool>> check_cancel_;
    std::vector<std::future<level_verdict>> stopping_;
    std::string verdict_;
    std::string first_problem_;
    std::string status_;  // the latest save, refusal or play-test, one line
    bool quit_asked_ = false;
};

}  // namespace quillomar
