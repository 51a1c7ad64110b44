// What plays behind the title menu: the levels of the set one after another, each played by the
// checking player along its proven route in the real physics, seen from a slow camera that
// follows the ball and looks down the way ahead. It keeps nothing: no record, no statistics, no
// recording, no sound and no console line.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "game/game_core.h"
#include "game/hud_lines.h"
#include "level/level.h"

namespace quillomar {

class quillomar_game;

class attract_mode {
public:
    // One frame at wall time `now`.
    void step(quillomar_game& game, double now);
    // The level as it plays, darkened under the menu's `lines`.
    void draw(quillomar_game& game, const std::vector<hud_line>& lines);
    // The level shown, and how many ticks of its route have played (tests).
    const std::string& level_path() const { return path_; }
    std::size_t ticks_played() const { return tick_; }

private:
    void show_next_level(quillomar_game& game, double now);

    std::size_t next_ = 0;  // the set's entry shown after this one
    std::string path_;
    std::string key_;
    std::unique_ptr<game_core> core_;
    std::size_t tick_ = 0;
    double shown_since_ = 0.0;
    double playing_since_ = -1.0;  // wall time of the route's first tick
    double ended_at_ = -1.0;
};

}  // namespace quillomar
