#include "shell/ready_screen.h"

#include "game/words.h"

#include <memory>

#include "game/hud_layout.h"
#include "game/scene_camera.h"
#include "shell/pause_screen.h"
#include "shell/quillomar_game.h"

namespace quillomar {

void ready_screen::enter(quillomar_game& game, bool /*returning*/) {
    began_ = game.frame_time();
}

void ready_screen::step(quillomar_game& game) {
    if (began_ < 0.0) {
        began_ = game.frame_time();
    }
    if (game.frame_time() - began_ >= go_seconds || game.session() == nullptr) {
        game.pop();
    }
}

void ready_screen::draw(quillomar_game& game) {
    // The world as the run starts, seen from where the follow camera hangs behind the ball.
    if (const play_session* session = game.session()) {
        game.draw_session_from(follow_shot(session->state()), hud_lines(game));
    }
}

void ready_screen::escape(quillomar_game& game) {
    game.pop();
    game.push(std::make_unique<pause_screen>());
}

std::vector<hud_line> ready_screen::hud_lines(const quillomar_game& game) const {
    const hud_frame frame = const_cast<quillomar_game&>(game).text_frame();
    return stacked_panel({{tr("Go!"), hud_tone::title, 2.5f}}, frame, 0.25f);
}

}  // namespace quillomar
