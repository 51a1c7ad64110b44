#include "shell/title_screen.h"

#include <vector>

#include "framework/key_map.h"
#include "game/level_set.h"
#include "game/menu.h"
#include "records/records_store.h"
#include "shell/editor_list_screen.h"
#include "shell/menu_mode.h"
#include "shell/online_screen.h"
#include "shell/quillomar_game.h"

namespace quillomar {
namespace {

menu_mode::targets targets_of(quillomar_game& game) {
    return {game.window, game.keys(), game.sound(), game.renderer()};
}

}  // namespace

void title_screen::enter(quillomar_game& game, bool /*returning*/) {
    // Runs left waiting by an earlier game go out from the start, whatever screen comes next.
    game.online();
    if (!game.menus().title_shown()) {
        game.menus().open_title(targets_of(game));
    }
}

void title_screen::paste(quillomar_game& game) {
    const std::string line = game.paste_from_clipboard();
    if (&game.top() == this) {
        game.menus().tell(line);
    }
}

void title_screen::step(quillomar_game& game) {
    menu_mode& menus = game.menus();
    if (game.keys() != nullptr && game.keys()->take(window_action::paste_code) > 0) {
        paste(game);
        if (&game.top() != this) {
            return;
        }
    }
    if (game.keys() != nullptr && menus.shown() != nullptr && menus.shown()->page_index() == 0) {
        // Escape on the first page would leave the game: it stays, and Quit is the way out.
        game.keys()->take(window_action::quit);
    }
    const menu_action action = menus.update(targets_of(game));
    switch (action) {
        case menu_action::play: {
            const level_set& set = game.levels();
            const std::vector<level_list_row> rows = game.level_rows();
            game.play_level(set.empty() ? game.level_path : set[level_to_continue(rows)].path,
                            true);
            break;
        }
        case menu_action::levels:
            game.open_level_list();
            break;
        case menu_action::random_level:
            game.play_generated(random_level_seed(), true);
            break;
        case menu_action::level_of_the_day:
            game.play_generated(level_of_the_day_seed(), true);
            break;
        case menu_action::editor:
            // The author's own levels, never the game's installed ones.
            game.push(std::make_unique<editor_list_screen>());
            break;
        case menu_action::replays:
            game.open_replays();
            break;
        case menu_action::paste_level:
            paste(game);
            break;
        case menu_action::online:
            game.push(std::make_unique<online_screen>());
            break;
        case menu_action::quit:
            game.quit();
            break;
        default:
            break;
    }
    if (&game.top() == this) {
        attract_.step(game, game.frame_time());
    }
}

void title_screen::draw(quillomar_game& game) {
    attract_.draw(game, hud_lines(game));
}

void title_screen::draw_under(quillomar_game& game, const std::vector<hud_line>& lines) {
    attract_.draw(game, lines);
}

void title_screen::escape(quillomar_game& game) {
    // A page back; on the first page Escape stays in the game (Quit is the way out).
    game.menus().back(targets_of(game));
}

std::vector<hud_line> title_screen::hud_lines(const quillomar_game& game) const {
    return const_cast<quillomar_game&>(game).menus().hud_lines();
}

}  // namespace quillomar
