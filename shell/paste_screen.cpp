#include "shell/paste_screen.h"

#include <chrono>
#include <iostream>

#include "framework/key_map.h"
#include "game/menu.h"
#include "game/words.h"
#include "shell/menu_mode.h"
#include "shell/quillomar_game.h"

namespace quillomar {

paste_screen::paste_screen(std::string code, std::string records_folder) {
    check_ = std::async(std::launch::async, [this, code = std::move(code),
                                             folder = std::move(records_folder)] {
        return take_level_code(code, folder, &cancel_);
    });
}

paste_screen::~paste_screen() { stop(); }

void paste_screen::stop() {
    if (check_.valid()) {
        cancel_ = true;
        check_.wait();
    }
}

void paste_screen::step(quillomar_game& game) {
    if (key_input* keys = game.keys()) {
        // Its one row is Cancel: a click, Enter or the pad's A takes it, as Escape does.
        const int confirm = keys->take(window_action::confirm) +
                            keys->take(window_action::menu_accept) + keys->take_clicks();
        if (confirm > 0) {
            escape(game);
            return;
        }
    }
    if (!check_.valid() ||
        check_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        return;
    }
    const taken_code taken = check_.get();
    std::cout << taken.line << std::endl;
    game.pop();  // this screen is gone from here on
    if (taken.ok) {
        game.play_level(taken.level_path, true);
    } else if (game.screen_name() == "title") {
        game.menus().tell(taken.line);
    }
}

void paste_screen::draw(quillomar_game& game) { draw_under(game, hud_lines(game)); }

void paste_screen::draw_under(quillomar_game& game, const std::vector<hud_line>& lines) {
    game.draw_below(*this, lines);
}

void paste_screen::escape(quillomar_game& game) {
    stop();
    game.pop();
}

void paste_screen::leave(quillomar_game& /*game*/, bool covered) {
    if (!covered) {
        stop();
    }
}

std::vector<hud_line> paste_screen::hud_lines(const quillomar_game& game) const {
    menu_entry cancel;
    cancel.label = tr("Cancel");
    const menu shown({menu_page{tr("Checking the pasted level..."), {cancel}}});
    const hud_frame frame = const_cast<quillomar_game&>(game).text_frame();
    menu_screen screen = page_screen(frame);
    screen.note = tr("Escape cancels.");
    return lay_out_menu(shown, screen, frame.metrics).lines;
}

}  // namespace quillomar
