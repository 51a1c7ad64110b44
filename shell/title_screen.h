// The title screen: the title menu over the attract mode. Escape on its first page stays: ending
// the game is Quit's, or the window's.
#pragma once

#include "shell/attract_mode.h"
#include "shell/screen.h"

namespace quillomar {

class title_screen : public screen {
public:
    const char* name() const override { return "title"; }
    void enter(quillomar_game& game, bool returning) override;
    void step(quillomar_game& game) override;
    void draw(quillomar_game& game) override;
    void draw_under(quillomar_game& game, const std::vector<hud_line>& lines) override;
    void escape(quillomar_game& game) override;
    std::vector<hud_line> hud_lines(const quillomar_game& game) const override;
    const attract_mode& attract() const { return attract_; }

private:
    // The clipboard's level code played, or why not under the menu.
    void paste(quillomar_game& game);
    attract_mode attract_;
};

}  // namespace quillomar
