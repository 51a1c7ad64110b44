// Play: the session's ticks under the player's keys. In the specified game Escape ends the game
// and Enter goes on once it is over; in a game started from the title menu Escape pauses, a win
// opens the win panel, and the HUD adds the level's title and hint, the assist and the first
// crystal's hint. A play-test from the editor ends back in the editor.
#pragma once

#include <memory>

#include "game/medal_times.h"
#include "shell/play_session.h"
#include "shell/screen.h"

namespace quillomar {

class play_screen : public screen {
public:
    explicit play_screen(std::unique_ptr<play_session> session);
    const char* name() const override { return "play"; }
    void enter(quillomar_game& game, bool returning) override;
    void leave(quillomar_game& game, bool covered) override;
    void step(quillomar_game& game) override;
    void draw(quillomar_game& game) override;
    void draw_under(quillomar_game& game, const std::vector<hud_line>& lines) override;
    void escape(quillomar_game& game) override;
    bool escape_ends_game(quillomar_game& game) override;
    bool pauses_play() const override { return false; }
    std::vector<hud_line> hud_lines(const quillomar_game& game) const override;

    play_session& session() { return *session_; }

    // Keeps the level's medal times once its route is proven (the win panel over this screen
    // asks too: the route may come in after the finish).
    void keep_medal_times(quillomar_game& game);

private:
    void handle_keys(quillomar_game& game);
    void go_on_after_the_end(quillomar_game& game);

    std::unique_ptr<play_session> session_;
    bool began_ = false;
    bool win_shown_ = false;
    bool medals_kept_ = false;
    // The level's medal times once its route is proven; none for a level without one.
    std::optional<medal_times> medal_times_;
    bool was_focused_ = true;
    // The first crystal of a menu-started game names the flip key, once.
    bool crystal_hint_due_ = true;
    long crystal_hint_until_ = -1;  // the tick it goes at
};

}  // namespace quillomar
