#include "shell/edit_mode.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <functional>
#include <iostream>
#include <sstream>

#include "framework/key_map.h"

namespace quillomar {
namespace {

// The cursor stays within a layout the level limits could ever allow, and well beyond.
constexpr int max_cursor = 1023;
constexpr int highest_digit = 9;
constexpr float most_zoom = 16.0f;
constexpr float zoom_step = 1.25f;
constexpr float orbit_step = 0.1f;

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

glm::vec2 world_of(grid_cell c) {
    return {2.0f * static_cast<float>(c.x), 2.0f * static_cast<float>(c.z)};
}

// Where the pointer's ray meets the level `y` high, in world x and z.
std::optional<glm::vec2> point_at_height(const top_down_view& v, glm::vec2 ndc, float y) {
    const auto [from, to] = ray_at_pointer(v, ndc);
    if (!(std::abs(from.y - to.y) > 1e-6f)) {
        return std::nullopt;
    }
    const float t = (from.y - y) / (from.y - to.y);
    const glm::vec3 p = from + t * (to - from);
    return glm::vec2(p.x, p.z);
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
    // A level opens framed to the cells it uses and one more row and column to build on; a new
    // one on 16 x 16 cells.
    if (!session_.document().cubes().empty()) {
        chosen_area_ = {extent_.x + 1, extent_.z + 1};
    }
    start_check();
}

edit_mode::~edit_mode() {
    if (check_cancel_) {
        check_cancel_->store(true);
    }
}

edit_mode::request edit_mode::update(key_input& keys, float aspect) {
    take_check_when_ready();
    if (typing()) {
        handle_text(keys);
        return request::none;
    }
    const bool play = keys.take(editor_action::play_test) > 0;
    const bool from_cursor = keys.take(editor_action::play_from_cursor) > 0;
    handle_pointer(keys, aspect);
    handle_view_keys(keys, aspect);
    handle_edits(keys);
    if (show_route_ && route_asked_ != route_key_) {
        route_asked_ = route_key_;
        routes_.request(route_key_, current_level());
    }
    return from_cursor ? request::play_from_cursor : play ? request::play_test : request::none;
}

void edit_mode::handle_text(key_input& keys) {
    typed_ += keys.take_typed();
    for (int n = keys.take(editor_action::erase_letter); n > 0 && !typed_.empty(); --n) {
        typed_.pop_back();
    }
    if (keys.take(window_action::confirm) > 0) {
        const typed what = typing_;
        typing_ = typed::nothing;
        changed(what == typed::title ? session_.set_title(typed_) : session_.set_hint(typed_));
    }
    // The letters typed are no editing keys.
    keys.drop_editor_presses();
}

void edit_mode::handle_pointer(key_input& keys, float aspect) {
    const level_document& document = session_.document();
    const auto height = [&document](grid_cell c) { return document.height(c); };
    const auto cell_under = [&](glm::vec2 ndc) -> std::optional<grid_cell> {
        std::optional<grid_cell> cell = cell_at_pointer(framing(aspect), ndc, height);
        if (cell) {
            cell = grid_cell{std::min(cell->x, max_cursor), std::min(cell->z, max_cursor)};
        }
        return cell;
    };
    if (const std::optional<pointer_click> click = keys.take_click()) {
        const glm::vec2 ndc(click->x * 2.0f - 1.0f, 1.0f - click->y * 2.0f);
        if (const std::optional<grid_cell> cell = cell_under(ndc)) {
            cursor_ = *cell;
            anchor_.reset();
            drag_from_ = cell;
        }
    }
    double x = -1.0;
    double y = -1.0;
    int width = 0;
    int height_pixels = 0;
    keys.cursor(x, y);
    keys.window_size(width, height_pixels);
    if (width <= 0 || height_pixels <= 0 || x < 0.0 || y < 0.0) {
        drag_from_.reset();
        right_drag_.reset();
    } else {
        const glm::vec2 ndc(static_cast<float>(x / width) * 2.0f - 1.0f,
                            1.0f - static_cast<float>(y / height_pixels) * 2.0f);
        // A drag with the left button draws the selection from where it went down.
        if (drag_from_ && keys.mouse_held(false)) {
            const std::optional<grid_cell> cell = cell_under(ndc);
            if (cell && *cell != *drag_from_) {
                anchor_ = drag_from_;
                cursor_ = *cell;
            }
        } else {
            drag_from_.reset();
        }
        // The right button pans the map, or turns the view around the cursor.
        if (keys.mouse_held(true)) {
            if (right_drag_ && three_d_) {
                yaw_ -= (ndc.x - right_drag_->x) * 2.0f;
                pitch_ = std::clamp(pitch_ - (ndc.y - right_drag_->y) * 1.5f, 0.15f, 1.5f);
            } else if (right_drag_) {
                const top_down_view v = framing(aspect);
                const std::optional<glm::vec2> was = point_at_height(v, *right_drag_, 3.0f);
                const std::optional<glm::vec2> now = point_at_height(v, ndc, 3.0f);
                if (was && now) {
                    centre_ = glm::vec2(v.target.x, v.target.z) + *was - *now;
                }
            }
            right_drag_ = ndc;
        } else {
            right_drag_.reset();
        }
    }
    const double wheel = keys.take_scroll();
    if (wheel != 0.0) {
        zoom_ = std::clamp(zoom_ * std::pow(zoom_step, static_cast<float>(wheel)), 1.0f, most_zoom);
    }
}

void edit_mode::handle_view_keys(key_input& keys, float aspect) {
    const int across = keys.take(editor_action::cursor_right) - keys.take(editor_action::cursor_left);
    const int down = keys.take(editor_action::cursor_down) - keys.take(editor_action::cursor_up);
    if (across != 0 || down != 0) {
        move_cursor(across, down, false);
    }
    const int grow_across =
        keys.take(editor_action::select_right) - keys.take(editor_action::select_left);
    const int grow_down = keys.take(editor_action::select_down) - keys.take(editor_action::select_up);
    if (grow_across != 0 || grow_down != 0) {
        move_cursor(grow_across, grow_down, true);
    }
    const int zoom_steps = keys.take(editor_action::zoom_in) - keys.take(editor_action::zoom_out);
    zoom_ = std::clamp(zoom_ * std::pow(zoom_step, static_cast<float>(zoom_steps)), 1.0f, most_zoom);
    if (zoom_ == 1.0f) {
        centre_.reset();
    }
    yaw_ += orbit_step * static_cast<float>(keys.take(editor_action::orbit_right) -
                                            keys.take(editor_action::orbit_left));
    chosen_area_.x = std::clamp(chosen_area_.x + keys.take(editor_action::grow_columns) -
                                    keys.take(editor_action::shrink_columns),
                                1, max_cursor + 1);
    chosen_area_.z = std::clamp(chosen_area_.z + keys.take(editor_action::grow_rows) -
                                    keys.take(editor_action::shrink_rows),
                                1, max_cursor + 1);
    if (keys.take(editor_action::switch_view) % 2 == 1) {
        three_d_ = !three_d_;
    }
    if (keys.take(editor_action::show_route) % 2 == 1) {
        show_route_ = !show_route_;
    }
    if (keys.take(editor_action::show_keys) % 2 == 1) {
        show_keys_ = !show_keys_;
    }
    if (keys.take(editor_action::go_to_problem) > 0 && place_) {
        cursor_ = *place_;
        anchor_.reset();
    }
    keep_cursor_in_sight(aspect);
}

void edit_mode::move_cursor(int across, int down, bool selecting) {
    if (selecting && !anchor_) {
        anchor_ = cursor_;
    } else if (!selecting) {
        anchor_.reset();
    }
    cursor_.x = std::clamp(cursor_.x + across, 0, max_cursor);
    cursor_.z = std::clamp(cursor_.z + down, 0, max_cursor);
}

void edit_mode::keep_cursor_in_sight(float aspect) {
    if (zoom_ == 1.0f || three_d_) {
        return;
    }
    const top_down_view v = framing(aspect);
    const glm::vec2 at = world_of(cursor_);
    const glm::vec4 clip = v.projection * v.view * glm::vec4(at.x, 3.0f, at.y, 1.0f);
    const glm::vec2 ndc = glm::vec2(clip) / clip.w;
    const glm::vec2 band = band_ndc(band_);
    const float inset = (band.y - band.x) * 0.1f;
    if (std::abs(ndc.x) > 0.9f || ndc.y < band.x + inset || ndc.y > band.y - inset) {
        centre_ = at;
    }
}

void edit_mode::handle_edits(key_input& keys) {
    const level_document& document = session_.document();
    for (int n = keys.take(editor_action::raise); n > 0; --n) {
        changed(session_.raise_area(target(), 1));
    }
    for (int n = keys.take(editor_action::lower); n > 0; --n) {
        changed(session_.raise_area(target(), -1));
    }
    for (int d = 0; d <= highest_digit; ++d) {
        const auto digit = static_cast<editor_action>(static_cast<int>(editor_action::digit_0) + d);
        if (keys.take(digit) > 0) {
            changed(session_.set_area_height(target(), d));
        }
    }
    if (keys.take(editor_action::clear) > 0) {
        changed(session_.set_area_height(target(), 0));
    }
    if (keys.take(editor_action::copy) > 0) {
        session_.copy(target());
        status_ = "Copied " + std::to_string(target().columns()) + " x " +
                  std::to_string(target().rows()) + " cells - Ctrl+V pastes at the cursor";
    }
    if (keys.take(editor_action::paste) > 0 && session_.has_copy()) {
        changed(session_.paste(target().low));
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
    for (const auto& [action, kind] : {std::pair{editor_action::edit_title, typed::title},
                                       std::pair{editor_action::edit_hint, typed::hint}}) {
        if (keys.take(action) > 0) {
            typing_ = kind;
            typed_ = kind == typed::title ? document.title() : document.hint();
            // Letters typed before, and an Enter pressed before, are not this text's.
            keys.take_typed();
            keys.take(window_action::confirm);
            keys.drop_editor_presses();
            return;
        }
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

cell_area edit_mode::target() const {
    return cell_area::spanning(anchor_.value_or(cursor_), cursor_);
}

std::optional<cell_area> edit_mode::selection() const {
    return anchor_ ? std::optional<cell_area>(target()) : std::nullopt;
}

void edit_mode::changed(const edit_result& result) {
    if (!result.changed) {
        if (!result.refusal.empty()) {
            status_ = result.refusal;
        }
        return;
    }
    // A save or a play-test's result is about the level before this edit.
    status_.clear();
    quit_asked_ = false;
    rebuild_view();
    start_check();
}

bool edit_mode::escape() {
    if (typing()) {
        typing_ = typed::nothing;
        return false;
    }
    if (anchor_) {
        anchor_.reset();
        return false;
    }
    if (session_.is_dirty() && !quit_asked_) {
        quit_asked_ = true;
        return false;
    }
    return true;
}

void edit_mode::play_test_ended(const std::string& how, int lives_lost) {
    status_ = "Play-test: " + how;
    if (lives_lost > 0) {
        status_ += ", " + std::to_string(lives_lost) + (lives_lost == 1 ? " life" : " lives") +
                   " lost";
    }
}

level edit_mode::current_level() const {
    level lvl;
    std::istringstream in(session_.document().text());
    lvl.read_stream(in);  // its lines (the layout line, the centre) are no news on every edit
    return lvl;
}

std::optional<level> edit_mode::play_test_level(bool from_cursor) {
    level lvl = current_level();
    if (from_cursor) {
        if (session_.document().height(cursor_) == 0) {
            status_ = "Shift+F5 plays from a cell with a cube";
            return std::nullopt;
        }
        lvl.start = world_of(cursor_);
    }
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
    const level_document& document = session_.document();
    const std::string text = document.text();
    route_key_ = std::to_string(std::hash<std::string>{}(text)) + ":" + std::to_string(text.size());
    extent_ = {1, 1};
    const auto take_in = [this](grid_cell c) {
        extent_ = {std::max(extent_.x, c.x + 1), std::max(extent_.z, c.z + 1)};
    };
    for (const cube_cell& c : document.cubes()) {
        take_in(c.cell);
    }
    for (const std::optional<grid_cell>& marker : {document.start(), document.finish()}) {
        if (marker) {
            take_in(*marker);
        }
    }
    for (const auto* cells : {&document.items(), &document.enemies()}) {
        for (const grid_cell& c : *cells) {
            take_in(c);
        }
    }
}

grid_cell edit_mode::area() const {
    return {std::min(std::max({chosen_area_.x, extent_.x, cursor_.x + 1}), max_cursor + 1),
            std::min(std::max({chosen_area_.z, extent_.z, cursor_.z + 1}), max_cursor + 1)};
}

top_down_view edit_mode::framing(float aspect) const {
    const grid_cell a = area();
    if (three_d_) {
        const glm::vec2 at = world_of(cursor_);
        const float height = cell_top(session_.document().height(cursor_));
        const float distance = 14.0f + 2.0f * static_cast<float>(std::max(a.x, a.z)) / zoom_;
        return make_orbit_view({at.x, height, at.y}, yaw_, pitch_, distance, aspect);
    }
    const glm::vec2 middle(static_cast<float>(a.x) - 1.0f, static_cast<float>(a.z) - 1.0f);
    return make_top_down_view(a.x, a.z, aspect, zoom_, centre_.value_or(middle), band_);
}

game_state& edit_mode::view(float aspect) {
    const top_down_view v = framing(aspect);
    game_state& s = view_core_->state;
    s.projection = v.projection;
    s.view = v.view;
    s.cam_pos = v.eye;
    s.frustum = frustum_of(v);
    return s;
}

std::vector<map_vertex> edit_mode::marks() const {
    map_scene scene;
    scene.document = &session_.document();
    scene.area = area();
    scene.cursor = cursor_;
    scene.selection = selection();
    scene.problem = place_;
    // In the 3D view the cubes show as the game draws them; the marks stay.
    scene.heights = !three_d_;
    // Seen straight down, the signs float over the ball, the items and the spiders of their
    // cells; around the cursor they lie on the cubes.
    scene.signs_above = three_d_ ? 0.0f : 4.0f;
    if (show_route_) {
        if (const proven_route* route = routes_.find(route_key_)) {
            scene.route = route->path;
        }
    }
    return map_marks(scene);
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
    check_line_.clear();
    first_problem_.clear();
    place_.reset();
    failing_ = false;
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
        check_line_ = verdict.lines.empty() ? verdict_ : verdict.lines.back();
        // The HUD's first line names the file already.
        const std::string named = session_.path() + ": ";
        if (check_line_.rfind(named, 0) == 0) {
            check_line_.erase(0, named.size());
        }
        first_problem_ = verdict.lines.size() > 1 ? verdict.lines.front() : std::string();
        // "level.txt:4: ..." reads "line 4: ...": the verdict keeps its room for what it says.
        const std::string of_file = session_.path() + ":";
        if (first_problem_.rfind(of_file, 0) == 0 && first_problem_.size() > of_file.size() &&
            std::isdigit(static_cast<unsigned char>(first_problem_[of_file.size()])) != 0) {
            first_problem_.replace(0, of_file.size(), "line ");
        }
        place_ = verdict.finishable ? std::nullopt : verdict.place;
        failing_ = !verdict.finishable;
    }
}

void edit_mode::wait_for_check() {
    if (check_.valid()) {
        check_.wait();
    }
    take_check_when_ready();
}

void edit_mode::wait_for_route() {
    if (show_route_) {
        route_asked_ = route_key_;
        routes_.request(route_key_, current_level());
        routes_.wait(route_key_);
    }
}

}  // namespace quillomar
