#include "shell/overview_screen.h"

#include "framework/key_map.h"
#include "game/scene_camera.h"
#include "game/words.h"
#include "level/level_cell.h"
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
    lines.push_back({"Overview", false, -70, 40});
    frame_renderer& renderer = *game.renderer();
    if (const std::optional<level_cell> cell = session->practice_cell()) {
        // Where this practice starts: a frame round the cell, wide enough to show round the
        // ball sitting on it.
        const glm::vec2 middle = cell_centre(*cell);
        const float top = s.level.height_at(middle.x, middle.y) - 1.0f + 0.05f;
        const glm::vec4 tint(0.3f, 0.85f, 1.0f, 0.85f);
        const auto quad = [&](float x0, float z0, float x1, float z1) {
            const glm::vec3 a(x0, top, z0);
            const glm::vec3 b(x1, top, z0);
            const glm::vec3 c(x1, top, z1);
            const glm::vec3 d(x0, top, z1);
            for (const glm::vec3& corner : {a, b, c, a, c, d}) {
                renderer.marks.push_back({corner, tint});
            }
        };
        constexpr float inner = 1.1f;
        constexpr float outer = 1.45f;
        const float x = middle.x;
        const float z = middle.y;
        quad(x - outer, z - outer, x + outer, z - inner);
        quad(x - outer, z + inner, x + outer, z + outer);
        quad(x - outer, z - inner, x - inner, z + inner);
        quad(x + inner, z - inner, x + outer, z + inner);
        const std::string name = tr("Practice start");
        if (const std::optional<glm::vec2> p =
                picture_point(s, glm::vec3(middle.x, top, middle.y), game.width, game.height)) {
            lines.push_back({name, true, static_cast<int>(p->x) + 36, static_cast<int>(p->y) - 12,
                             hud_tone::title});
        }
    }
    renderer.show_game_hud = false;
    renderer.draw(s, game.width, game.height, lines);
    renderer.show_game_hud = true;
}

void overview_screen::escape(quillomar_game& game) {
    game.pop();
}

}  // namespace quillomar
