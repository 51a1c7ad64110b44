// The pause menu over the game it paused: Resume, Retry, Levels, Settings, Fall map, Title menu
// and Quit. Escape, Resume and the Pause key go back to play. Over a finished run (the win
// panel) it is the menu of a finished level instead: Next level, Retry and the rest, and going
// back returns to the panel.
#pragma once

#include "shell/screen.h"

namespace quillomar {

class pause_screen : public screen {
public:
    explicit pause_screen(bool finished = false) : finished_(finished) {}
    const char* name() const override { return "pause"; }
    void enter(quillomar_game& game, bool returning) override;
    void step(quillomar_game& game) override;
    void draw(quillomar_game& game) override;
    void draw_under(quillomar_game& game, const std::vector<hud_line>& lines) override;
    void escape(quillomar_game& game) override;
    std::vector<hud_line> hud_lines(const quillomar_game& game) const override;

private:
    bool finished_;
};

}  // namespace quillomar
