#include "shell/edit_screen.h"

#include "actors/level_actors.h"
#include "framework/game_window.h"
#include "framework/key_map.h"
#include "game/replay_theatre.h"
#include "records/records_store.h"
#include "render/frame_renderer.h"
#include "shell/play_screen.h"
#include "shell/quillomar_game.h"
#include "sound/sound_events.h"

namespace quillomar {
namespace {

// The editor's lines are smaller than the game's: a small window still shows the level between
// them.
constexpr float editor_text_scale = 0.6f;

editor_hud_frame editor_frame(const quillomar_game& game) {
    editor_hud_frame frame{game.width, game.height, nullptr, editor_text_scale};
    if (const frame_renderer* renderer = const_cast<quillomar_game&>(game).renderer()) {
        frame.metrics = &renderer->hud_metrics();
        frame.enlarged = renderer->text_scale;
    }
    return frame;
}

}  // namespace

edit_screen::edit_screen(std::unique_ptr<edit_mode> editor)
    : editor_(std::move(editor)), level_key_(level_key_of_file(editor_->session().path())) {}

void edit_screen::enter(quillomar_game& game, bool /*returning*/) {
    play_sound_events(game.sound(), {game_event(event_kind::stop_sounds)});
    if (game.keys() != nullptr) {
        game.keys()->drop_editor_presses();
    }
}

void edit_screen::step(quillomar_game& game) {
    key_input& keys = *game.keys();
    editor_->fit_to(editor_frame(game));
    // The fall map shows where players of this level lost their lives; a letter typed into a
    // title is no key.
    if (keys.take(window_action::fall_map) % 2 == 1 && !editor_->typing()) {
        game.fall_map_shown = !game.fall_map_shown;
    }
    if (keys.take(editor_action::copy_code) > 0) {
        // The level as it stands in the editor, saved or not.
        editor_->tell(game.copy_level_code(editor_->session().document().text()));
    }
    const edit_mode::request asked = editor_->update(keys, game.aspect());
    if (asked == edit_mode::request::none) {
        return;
    }
    std::optional<level> edited =
        editor_->play_test_level(asked == edit_mode::request::play_from_cursor);
    if (!edited) {
        return;
    }
    edited->place_items();
    place_enemies(*edited);
    game.push(std::make_unique<play_screen>(std::make_unique<play_session>(
        fresh_core(*edited), editor_->session().path(), play_session::kind::play_test)));
}

void edit_screen::draw(quillomar_game& game) {
    frame_renderer& renderer = *game.renderer();
    game.set_fall_map_cells(level_key_);
    const editor_hud_frame frame = editor_frame(game);
    editor_->fit_to(frame);
    for (const map_vertex& v : editor_->marks()) {
        renderer.marks.push_back({v.position, v.tint});
    }
    std::vector<hud_line> lines = editor_->height_digits(frame, game.aspect());
    for (hud_line& line : editor_->hud_lines(frame)) {
        lines.push_back(std::move(line));
    }
    renderer.show_game_hud = false;
    renderer.draw(editor_->view(game.aspect()), game.width, game.height, lines);
    renderer.show_game_hud = true;
}

void edit_screen::escape(quillomar_game& game) {
    if (editor_->escape()) {
        game.pop();
    }
}

std::vector<hud_line> edit_screen::hud_lines(const quillomar_game& game) const {
    return editor_->hud_lines(editor_frame(game));
}

}  // namespace quillomar
