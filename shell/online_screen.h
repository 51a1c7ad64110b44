// Online, from the title menu: the levels shared on the record server (newest, most played, most
// records; a page at a time), each level's leaderboard beside the player's own best, a level
// downloaded and played with the server's record run as its ghost, and the server's address, the
// player's name and whether won runs are sent. Offline it says so in one line and still goes
// back with Escape.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "game/menu.h"
#include "records/online_client.h"
#include "shell/screen.h"

namespace quillomar {

class online_screen : public screen {
public:
    const char* name() const override { return "online"; }
    void enter(quillomar_game& game, bool returning) override;
    void step(quillomar_game& game) override;
    void draw(quillomar_game& game) override;
    void draw_under(quillomar_game& game, const std::vector<hud_line>& lines) override;
    void escape(quillomar_game& game) override;
    std::vector<hud_line> hud_lines(const quillomar_game& game) const override;

    static constexpr int levels_a_page = 8;

private:
    enum class row { order, level, previous, next, server, name, send, play, board, back };
    struct shown_row {
        row what;
        std::size_t level = 0;  // the level's place on the page
        menu_entry entry;
    };
    std::vector<shown_row> rows(const quillomar_game& game) const;
    menu_layout layout(const quillomar_game& game) const;
    void choose(quillomar_game& game, const shown_row& chosen, int sideways);
    void ask_page(quillomar_game& game);
    void edit_text(quillomar_game& game);

    level_order order_ = level_order::newest;
    long long offset_ = 0;
    // The level whose leaderboard is shown; empty: the list.
    std::string level_key_;
    std::string level_title_;
    std::size_t choice_ = 0;
    // The server's address or the player's name being typed.
    enum class typing { none, server, name };
    typing typing_ = typing::none;
    std::string typed_;
    std::string note_;
    bool downloading_ = false;
    std::optional<double> own_best_;  // the player's own best on the level shown
    double pointer_x_ = -1.0;
    double pointer_y_ = -1.0;
};

}  // namespace quillomar
