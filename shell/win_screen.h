// The win panel of a menu-started game, over the won level: the time, the lives lost, and its
// choices, the next level (when the set has one open) and the level again. Up and Down (or the
// pointer) choose, Enter (or a click, or a gamepad's A) takes the choice. Escape opens the menu
// of a finished level over it, and going back there returns to the panel.
#pragma once

#include <cstddef>
#include <string>

#include "game/menu.h"
#include "shell/screen.h"

namespace quillomar {

class win_screen : public screen {
public:
    const char* name() const override { return "win"; }
    void enter(quillomar_game& game, bool returning) override;
    void step(quillomar_game& game) override;
    void draw(quillomar_game& game) override;
    void draw_under(quillomar_game& game, const std::vector<hud_line>& lines) override;
    void escape(quillomar_game& game) override;
    std::vector<hud_line> hud_lines(const quillomar_game& game) const override;

private:
    std::string note_;  // what Ctrl+C did
    // The panel's lines, and the bands of its choices (entry 0: the first choice).
    menu_layout layout(const quillomar_game& game) const;
    void take(quillomar_game& game, std::size_t choice);

    std::string next_;  // the level after this one, when the set has it open
    std::size_t choice_ = 0;
    double pointer_x_ = -1.0;
    double pointer_y_ = -1.0;
};

}  // namespace quillomar
