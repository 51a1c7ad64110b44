// One screen of the game: play, a menu, the level list, the theatre, the editor, the preview of a
// level, the overview, the win panel. The shell keeps a stack of them and runs the frame loop; the
// screen on top has the frame's input and draws the frame, and Escape on it goes back to the
// screen below (or, where it is the specified game's own play, ends the game).
#pragma once

#include <string>
#include <vector>

#include "game/hud_lines.h"

namespace quillomar {

class quillomar_game;

class screen {
public:
    virtual ~screen() = default;
    // A short name for tools and tests ("play", "title", "list"...).
    virtual const char* name() const = 0;

    // `returning`: the screen comes back on top after one over it went away (rather than being
    // shown for the first time).
    virtual void enter(quillomar_game& /*game*/, bool /*returning*/) {}
    // `covered`: another screen goes on top and this one stays below it (rather than going away).
    virtual void leave(quillomar_game& /*game*/, bool /*covered*/) {}
    // One frame of input and time, on top.
    virtual void step(quillomar_game& game) = 0;
    // The whole frame, on top.
    virtual void draw(quillomar_game& game) = 0;
    // This screen's world without its own HUD, darkened under the `lines` of a screen over it.
    virtual void draw_under(quillomar_game& game, const std::vector<hud_line>& lines);
    // One Escape press on top.
    virtual void escape(quillomar_game& game) = 0;
    // Whether Escape held down ends the game now (only the specified game's own play).
    virtual bool escape_ends_game(quillomar_game& /*game*/) { return false; }
    // Whether the game's clock of play stands still while this screen is on top.
    virtual bool pauses_play() const { return true; }
    // The lines this screen adds to the HUD (tests read them).
    virtual std::vector<hud_line> hud_lines(const quillomar_game& /*game*/) const { return {}; }
};

}  // namespace quillomar
