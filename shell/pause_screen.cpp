#include "shell/pause_screen.h"

#include "shell/menu_mode.h"
#include "shell/quillomar_game.h"

namespace quillomar {
namespace {

menu_mode::targets targets_of(quillomar_game& game) {
    return {game.window, game.keys(), game.sound(), game.renderer()};
}

}  // namespace

void pause_screen::enter(quillomar_game& game, bool returning) {
    // A pause opens on its first page at Resume; the list opened from here comes back to the
    // menu as it was left.
    if (!returning || !game.menus().is_open() || game.menus().title_shown()) {
        const play_session* session = game.session();
        game.menus().open_pause(targets_of(game), finished_,
                                finished_ && session != nullptr &&
                                    !game.next_level_after(*session).empty());
    }
}

void pause_screen::step(quillomar_game& game) {
    const menu_action action = game.menus().update(targets_of(game));
    play_session* session = game.session();
    switch (action) {
        case menu_action::resume:
            game.menus().close();
            game.pop();
            break;
        case menu_action::restart:
            game.menus().close();
            game.play_level(session ? session->level_path() : game.level_path, false);
            break;
        case menu_action::levels:
            game.open_level_list();
            break;
        case menu_action::next_level:
            game.menus().close();
            if (session != nullptr) {
                const std::string next = game.next_level_after(*session);
                game.play_level(next.empty() ? session->level_path() : next, true);
            }
            break;
        case menu_action::title:
            game.menus().close();
            game.open_title();
            break;
        case menu_action::quit:
            game.quit();
            break;
        case menu_action::fall_map:
            game.fall_map_shown = !game.fall_map_shown;
            game.menus().close();
            game.pop();
            break;
        default:
            break;
    }
}

void pause_screen::draw(quillomar_game& game) {
    draw_under(game, hud_lines(game));
}

void pause_screen::draw_under(quillomar_game& game, const std::vector<hud_line>& lines) {
    game.draw_below(*this, lines);
}

void pause_screen::escape(quillomar_game& game) {
    // A page back; from the first page, back to play.
    if (game.menus().back(targets_of(game)) == menu_action::resume) {
        game.menus().close();
        game.pop();
    }
}

std::vector<hud_line> pause_screen::hud_lines(const quillomar_game& game) const {
    return const_cast<quillomar_game&>(game).menus().hud_lines();
}

}  // namespace quillomar
