#include "shell/overview_screen.h"

#include "game/words.h"

#include "framework/key_map.h"
#include "game/scene_camera.h"
#include "render/frame_renderer.h"
#include "shell/quillomar_game.h"

namespace quillomar {

void overview_screen::step(quillomar_game& game) {
    if (game.session() == nullptr || !game.overview_held()) {
        game.pop();
    }
}

void overview_screen::draw(quillomar_game& game) {
    play_session* session = game.session();
    if (session == nullptr) {
        return;
    }
    game_state& s = session->core().state;
    kept_camera kept(s);
    kept.aim(overview_shot(s.level, game.aspect(), s.follow_camera.fov));
    std::vector<hud_line> lines = overview_labels(s, game.width, game.height);
    lines.push_back({tr("Overview"), false, -70, 40});
    frame_renderer& renderer = *game.renderer();
    renderer.show_game_hud = false;
    renderer.draw(s, game.width, game.height, lines);
    renderer.show_game_hud = true;
}

void overview_screen::escape(quillomar_game& game) {
    game.pop();
}

}  // namespace quillomar
