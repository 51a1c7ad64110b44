#include "shell/edit_mode.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <glm/gtc/matrix_transform.hpp>
#include <iostream>
#include <sstream>

#include "framework/key_map.h"

namespace quillomar {
namespace {

// The cursor stays within a layout the level limits could ever allow, and well beyond.
constexpr int max_cursor = 1023;
constexpr int highest_digit = 9;
// The view frames at least this many columns and rows, so a new level has room around it.
constexpr int least_columns = 8;
constexpr int least_rows = 6;

bool ready(const std::future<level_verdict>& f) {
    return f.valid() && f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

// North (no line), east, south, west, and back to no line: a full round leaves the file as it was.
std::optional<facing> next_facing(std::optional<facing> now) {
    if (!now) {
        return facing::east;
    }
    return *now == facing::west ? std::nullopt : std::optional<facing>(turned_right(*now));
}

bool has(const std::vector<grid_cell>& cells, grid_cell c) {
    return std::find(cells.begin(), cells.end(), c) != cells.end();
}

}  // namespace

std::unique_ptr<edit_mode> edit_mode::open(const std::string& path) {
    std::string message;
    std::optional<level_edit_session> session = level_edit_session::open(path, &message);
    if (!session) {
        std::cout << message << std::endl;
        return nullptr;
    }
    return std::unique_ptr<edit_mode>(new edit_mode(std::move(*session)));
}

edit_mode::edit_mode(level_edit_session session) : session_(std::move(session)) {
    cursor_ = session_.document().start().value_or(grid_cell{});
    rebuild_view();
    start_check();
}

edit_mode::~edit_mode() {
    if (check_cancel_) {
        check_cancel_->store(true);
    }
}

edit_mode::request edit_mode::update(key_input& keys, float aspect) {
    take_check_when_ready();
    const bool play = keys.take(editor_action::play_test) > 0;
    handle_keys(keys, aspect);
    return play ? request::play_test : request::none;
}

void edit_mode::handle_keys(key_input& keys, float aspect) {
    const int across = keys.take(editor_action::cursor_right) - keys.take(editor_action::cursor_left);
    const int down = keys.take(editor_action::cursor_down) - keys.take(editor_action::cursor_up);
    cursor_.x = std::clamp(cursor_.x + across, 0, max_cursor);
    cursor_.z = std::clamp(cursor_.z + down, 0, max_cursor);
    const level_document& document = session_.document();
    if (const std::optional<pointer_click> click = keys.take_click()) {
        const glm::vec2 ndc(click->x * 2.0f - 1.0f, 1.0f - click->y * 2.0f);
        if (const std::optional<grid_cell> cell = cell_at_pointer(
                framing(aspect), ndc, [&document](grid_cell c) { return document.height(c); })) {
            cursor_ = {std::min(cell->x, max_cursor), std::min(cell->z, max_cursor)};
        }
    }
    for (int n = keys.take(editor_action::raise); n > 0; --n) {
        changed(session_.set_height(cursor_, std::min(highest_digit, document.height(cursor_) + 1)));
    }
    for (int n = keys.take(editor_action::lower); n > 0; --n) {
        changed(session_.set_height(cursor_, std::max(0, document.height(cursor_) - 1)));
    }
    if (keys.take(editor_action::set_start) > 0) {
        changed(session_.set_start(cursor_));
    }
    if (keys.take(editor_action::set_finish) > 0) {
        changed(session_.set_finish(cursor_));
    }
    for (int n = keys.take(editor_action::toggle_item); n > 0; --n) {
        changed(session_.toggle_item(cursor_));
    }
    for (int n = keys.take(editor_action::toggle_spider); n > 0; --n) {
        changed(session_.toggle_enemy(cursor_));
    }
    for (int n = keys.take(editor_action::cycle_facing); n > 0; --n) {
        changed(session_.set_facing(next_facing(document.start_facing())));
    }
    bool moved_in_history = false;
    for (int n = keys.take(editor_action::undo); n > 0; --n) {
        moved_in_history = session_.undo() || moved_in_history;
    }
    for (int n = keys.take(editor_action::redo); n > 0; --n) {
        moved_in_history = session_.redo() || moved_in_history;
    }
    if (moved_in_history) {
        edit_result result;
        result.changed = true;
        changed(result);
    }
    if (keys.take(editor_action::save) > 0) {
        std::string message;
        if (session_.save(&message)) {
            status_ = "Saved " + session_.path();
            quit_asked_ = false;
        } else {
            // The edits stay in memory: the player can free the folder and save again.
            std::cout << message << std::endl;
            status_ = message;
        }
    }
}

void edit_mode::changed(const edit_result& result) {
    if (!result.changed) {
        if (!result.refusal.empty()) {
            status_ = result.refusal;
        }
        return;
    }
    quit_asked_ = false;
    rebuild_view();
    start_check();
}

bool edit_mode::escape() {
    if (session_.is_dirty() && !quit_asked_) {
        quit_asked_ = true;
        return false;
    }
    return true;
}

void edit_mode::play_test_ended(const std::string& how) {
    status_ = "Play-test: " + how;
}

level edit_mode::current_level() const {
    level lvl;
    std::istringstream in(session_.document().text());
    lvl.read_stream(in);  // its lines (the layout line, the centre) are no news on every edit
    return lvl;
}

void edit_mode::rebuild_view() {
    view_core_ = std::make_unique<game_core>();
    view_core_->use_level(current_level());
    view_core_->place_items();
    view_core_->place_enemies();
    game_state& s = view_core_->state;
    const glm::vec2 start = s.level.start;
    const float ground = s.level.height_at(start.x, start.y);
    s.ball.position = glm::vec3(start.x, ground > 0.0f ? ground + 1.0f : 2.0f, start.y);
    extent_ = {1, 1};
    for (const cube_cell& c : session_.document().cubes()) {
        extent_ = {std::max(extent_.x, c.cell.x + 1), std::max(extent_.z, c.cell.z + 1)};
    }
}

top_down_view edit_mode::framing(float aspect) const {
    return make_top_down_view(std::max({extent_.x, cursor_.x + 1, least_columns}),
                              std::max({extent_.z, cursor_.z + 1, least_rows}), aspect);
}

game_state& edit_mode::view(float aspect) {
    const top_down_view v = framing(aspect);
    game_state& s = view_core_->state;
    s.projection = v.projection;
    s.view = v.view;
    s.cam_pos = v.eye;
    s.frustum.set_internals(v.fovy, v.aspect, v.near_plane, v.far_plane);
    s.frustum.set_camera(v.eye, v.target, v.up);
    return s;
}

glm::mat4 edit_mode::cursor_matrix() const {
    // Where the ball would rest on the cell; on an empty cell, at the cubes' base.
    const int h = session_.document().height(cursor_);
    const float y = h > 0 ? 2.0f * static_cast<float>(h) + 2.0f : 2.0f;
    return glm::translate(glm::mat4(1.0f), glm::vec3(2.0f * static_cast<float>(cursor_.x), y,
                                                     2.0f * static_cast<float>(cursor_.z)));
}

void edit_mode::start_check() {
    if (check_cancel_) {
        check_cancel_->store(true);
    }
    if (check_.valid()) {
        stopping_.push_back(std::move(check_));
    }
    check_cancel_ = std::make_shared<std::atomic<bool>>(false);
    verdict_ = "checking...";
    first_problem_.clear();
    check_ = std::async(std::launch::async, [lvl = current_level(), name = session_.path(),
                                             cancel = check_cancel_] {
        return check_level(lvl, name, cancel.get());
    });
}

void edit_mode::take_check_when_ready() {
    stopping_.erase(std::remove_if(stopping_.begin(), stopping_.end(), ready), stopping_.end());
    if (ready(check_)) {
        const level_verdict verdict = check_.get();
        verdict_ = verdict_summary(verdict);
        first_problem_ = verdict.lines.size() > 1 ? verdict.lines.front() : std::string();
    }
}

void edit_mode::wait_for_check() {
    if (check_.valid()) {
        check_.wait();
    }
    take_check_when_ready();
}

std::vector<hud_line> edit_mode::hud_lines(int window_height) const {
    const level_document& document = session_.document();
    std::string cell = "Cell " + std::to_string(cursor_.x) + " " + std::to_string(cursor_.z) +
                       ", height " + std::to_string(document.height(cursor_));
    for (const auto& [here, name] : {std::pair{document.start() == cursor_, " - start"},
                                     std::pair{document.finish() == cursor_, " - finish"},
                                     std::pair{has(document.items(), cursor_), " - item"},
                                     std::pair{has(document.enemies(), cursor_), " - spider"}}) {
        if (here) {
            cell += name;
        }
    }
    cell += std::string(", facing ") + facing_name(document.start_facing().value_or(facing::north));
    std::vector<hud_line> lines = {
        {"Editing " + session_.path() + (session_.is_dirty() ? " (unsaved)" : ""), true, 8, 40},
        {cell, true, 8, 80},
        {verdict_, true, 8, 120},
    };
    if (!first_problem_.empty()) {
        lines.push_back({first_problem_, true, 8, 160});
    }
    if (!status_.empty()) {
        lines.push_back({status_, true, 8, 200});
    }
    if (quit_asked_) {
        lines.push_back({"Unsaved changes - Escape again quits, Ctrl+S saves", false, -380, 300});
    }
    // The keys at the bottom, a few to a line, below the level's band of the picture.
    int count = 0;
    const char* const* help = editor_key_help(&count);
    std::vector<std::string> rows(1);
    for (int i = 0; i < count; ++i) {
        if (!rows.back().empty() && rows.back().size() + std::strlen(help[i]) > 44) {
            rows.emplace_back();
        }
        rows.back() += (rows.back().empty() ? "" : "   ") + std::string(help[i]);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        lines.push_back({rows[i], true, 8,
                         window_height - 16 - 36 * static_cast<int>(rows.size() - 1 - i)});
    }
    return lines;
}

}  // namespace quillomar
