// The preview of a level started from a menu: the camera flies along the level's proven route
// from start to finish and back to the ball (a slow orbit where no route is known yet), with the
// level's title and hint on the HUD, then waits there behind the ball. Any key, button or click
// but Escape ends it; the clock of play starts after it, so the run is the same as without it.
// Escape goes back where the level was chosen: the title menu, or the level list over it.
#pragma once

#include <string>
#include <utility>

#include "shell/screen.h"

namespace quillomar {

class preview_screen : public screen {
public:
    // How long the flight lasts for a route of `route_seconds`: longer routes get a longer
    // flight, from 3 s up to 6 s. Without a route, 4 s.
    static double flight_seconds(double route_seconds);

    // `came_from`: the name of the screen the level was chosen on.
    explicit preview_screen(std::string came_from = "title") : came_from_(std::move(came_from)) {}

    const char* name() const override { return "preview"; }
    void enter(quillomar_game& game, bool returning) override;
    void step(quillomar_game& game) override;
    void draw(quillomar_game& game) override;
    void escape(quillomar_game& game) override;
    std::vector<hud_line> hud_lines(const quillomar_game& game) const override;

private:
    double began_ = 0.0;
    double seconds_ = 4.0;
    bool flies_route_ = false;
    std::string came_from_;
    std::string title_;
    std::string hint_;
    std::string seed_note_;  // a generated level's seed, in small type under its title
};

}  // namespace quillomar
