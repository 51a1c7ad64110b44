// The moment before a run of a game started from the title menu: the camera stands behind the
// ball, "Go!" shows, and only then does the clock of play start, at 0 on the next tick. Play
// stands still under it, so the run is the same as without it.
#pragma once

#include "shell/screen.h"

namespace quillomar {

class ready_screen : public screen {
public:
    // How long "Go!" shows before the run starts (seconds of the wall clock).
    static constexpr double go_seconds = 0.6;

    const char* name() const override { return "ready"; }
    // Timed from the first frame it is on top: under a preview it waits for the preview's end.
    void enter(quillomar_game& game, bool returning) override;
    void step(quillomar_game& game) override;
    void draw(quillomar_game& game) override;
    // Back is the pause menu, as in play.
    void escape(quillomar_game& game) override;
    std::vector<hud_line> hud_lines(const quillomar_game& game) const override;

private:
    double began_ = -1.0;
};

}  // namespace quillomar
