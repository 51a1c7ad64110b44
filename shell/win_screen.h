// The win panel of a menu-started game, over the won level: the time, the lives lost, and what
// Enter (or a click) does next. Escape opens the pause menu over it; Resume comes back to the panel.
#pragma once

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
};

}  // namespace quillomar
