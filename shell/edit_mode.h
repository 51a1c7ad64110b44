// The level editor's mode of the shell: one level file's editing session, the cursor cell and
// the selection, the view from above (zoomed and panned) or around the cursor, the title or hint
// being typed, the check that runs on a worker thread after every change, the proven route, and
// what the HUD says. The shell hands it the keys each frame and draws the state it gives; a
// play-test is the shell's play mode on the level this mode hands over.
#pragma once

#include <atomic>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "authoring/cell_area.h"
#include "authoring/level_check.h"
#include "authoring/level_edit_session.h"
#include "authoring/map_marks.h"
#include "authoring/proven_route.h"
#include "authoring/top_down_view.h"
#include "game/game_core.h"
#include "game/hud_lines.h"
#include "game/text_fit.h"

namespace quillomar {

class key_input;

// Where the editor's HUD goes: the window's size and the font's measures (none: lines are not
// wrapped), at the text size `scale`, which the renderer draws `enlarged` times larger still.
struct editor_hud_frame {
    int width = 1024;
    int height = 768;
    const text_metrics* metrics = nullptr;
    float scale = 1.0f;
    float enlarged = 1.0f;
};

class edit_mode {
public:
    // What the shell should do after a frame of editing.
    enum class request { none, play_test, play_from_cursor };

    // The level in `path`, or a new empty one when there is no such file; null after one
    // console line naming the file when it cannot be read.
    static std::unique_ptr<edit_mode> open(const std::string& path);
    ~edit_mode();
    edit_mode(const edit_mode&) = delete;
    edit_mode& operator=(const edit_mode&) = delete;

    // One frame of editing: the keys, the clicks, the drags and the wheel taken from `keys`, for
    // a picture `aspect` times as wide as it is high.
    request update(key_input& keys, float aspect);
    // An Escape press: true when the editor ends. It first ends the typing of a title or hint,
    // then drops the selection; with unsaved changes the first one only asks.
    bool escape();
    // Back from a play-test that ended this way ("finished in 0:05.2", "lost", "stopped"),
    // after losing this many lives.
    void play_test_ended(const std::string& how, int lives_lost = 0);

    // The level as it stands, read as the game reads a file: what F5 plays.
    level current_level() const;
    // What a play-test plays: from the start, or from the cursor cell facing as the start does;
    // none (and a word on the HUD) when the cursor cell has no cube.
    std::optional<level> play_test_level(bool from_cursor);
    // The state to draw: the level from above (or around the cursor) with the ball on its start.
    game_state& view(float aspect);
    // The marks over the level: heights, grid, cursor, selection, the check's place, the route.
    std::vector<map_vertex> marks() const;
    // The HUD: the file, the cursor cell, the title or hint being typed and the latest save or
    // refusal at the top; the check's verdict, wrapped, and the keys at the bottom (F1: all of
    // them, as a table). The map keeps to the band between, so no line covers it.
    struct laid_out_hud {
        std::vector<hud_line> lines;
        map_band band;
    };
    laid_out_hud lay_out_hud(const editor_hud_frame& frame) const;
    std::vector<hud_line> hud_lines(const editor_hud_frame& frame) const {
        return lay_out_hud(frame).lines;
    }
    // Lays the HUD out for the window, and the map into the band it leaves; the shell calls it
    // before each frame's update and draw.
    void fit_to(const editor_hud_frame& frame) { band_ = lay_out_hud(frame).band; }
    map_band band() const { return band_; }
    // The camera the level is drawn from, for a picture `aspect` times as wide as it is high.
    top_down_view framing(float aspect) const;
    std::vector<hud_line> hud_lines(int window_height) const { return hud_lines({1024, window_height}); }
    // Each cube's height as a digit over its cell, where the cells are large enough to hold one.
    std::vector<hud_line> height_digits(const editor_hud_frame& frame, float aspect) const;

    grid_cell cursor() const { return cursor_; }
    std::optional<cell_area> selection() const;
    // The columns and rows the grid shows: the chosen size, grown to what the level uses.
    grid_cell area() const;
    bool three_d() const { return three_d_; }
    bool typing() const { return typing_ != typed::nothing; }
    bool route_shown() const { return show_route_; }
    const level_edit_session& session() const { return session_; }
    // Shows `line` where the latest save or refusal shows.
    void tell(std::string line) { status_ = std::move(line); }
    // The check's verdict in a few words, "checking..." while it runs.
    const std::string& verdict() const { return verdict_; }
    // The check's own last line, as --check prints it, without the file's name.
    const std::string& check_line() const { return check_line_; }
    // Where the check says the level fails, when it names a cell.
    std::optional<grid_cell> problem_place() const { return place_; }
    // Waits for the running check (tests and tools).
    void wait_for_check();
    // Waits for the proven route while it is shown (tests and tools).
    void wait_for_route();

private:
    enum class typed { nothing, title, hint };

    explicit edit_mode(level_edit_session session);
    void handle_text(key_input& keys);
    void handle_pointer(key_input& keys, float aspect);
    void handle_view_keys(key_input& keys, float aspect);
    void handle_edits(key_input& keys);
    void move_cursor(int across, int down, bool selecting);
    void keep_cursor_in_sight(float aspect);
    cell_area target() const;
    void changed(const edit_result& result);
    void start_check();
    void take_check_when_ready();
    void rebuild_view();
    laid_out_hud lay_out_hud_at(const editor_hud_frame& frame) const;

    level_edit_session session_;
    grid_cell cursor_;
    std::optional<grid_cell> anchor_;      // the selection's other corner
    std::optional<grid_cell> drag_from_;   // where the left button went down on the map
    std::optional<glm::vec2> right_drag_;  // the pointer's last place while the right button pans
    grid_cell chosen_area_{16, 16};
    grid_cell extent_{1, 1};  // columns and rows the level's cubes and markers span
    float zoom_ = 1.0f;
    std::optional<glm::vec2> centre_;  // where a zoomed top view looks; none: the area's middle
    bool three_d_ = false;
    float yaw_ = 0.6f;
    float pitch_ = 0.75f;
    bool show_route_ = false;
    bool show_keys_ = false;
    map_band band_;
    typed typing_ = typed::nothing;
    std::string typed_;
    std::unique_ptr<game_core> view_core_;
    // The check of the latest state, and older ones told to stop and left to end on their own:
    // a future of std::async waits for its thread when dropped.
    std::future<level_verdict> check_;
    std::shared_ptr<std::atomic<bool>> check_cancel_;
    std::vector<std::future<level_verdict>> stopping_;
    std::string verdict_;
    std::string check_line_;
    std::string first_problem_;
    std::optional<grid_cell> place_;
    bool failing_ = false;  // the latest finished check says not finishable
    mutable route_cache routes_;  // looking a route up takes in a finished one
    std::string route_key_;    // the level as it stands, for the cache
    std::string route_asked_;  // the level whose route was asked for last
    std::string status_;  // the latest save, refusal or play-test, one line
    bool quit_asked_ = false;
};

}  // namespace quillomar
