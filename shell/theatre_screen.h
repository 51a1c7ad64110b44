// The replay theatre over the screen it was opened from: its list of replays, and the one being
// watched. Escape (or T) goes from a replay back to the list, and from the list back.
#pragma once

#include "shell/screen.h"
#include "shell/theatre_mode.h"

namespace quillomar {

class theatre_screen : public screen {
public:
    const char* name() const override { return "theatre"; }
    void enter(quillomar_game& game, bool returning) override;
    void step(quillomar_game& game) override;
    void draw(quillomar_game& game) override;
    void escape(quillomar_game& game) override;
    std::vector<hud_line> hud_lines(const quillomar_game& game) const override;
    theatre_mode& theatre() { return theatre_; }

private:
    theatre_mode theatre_;
};

}  // namespace quillomar
