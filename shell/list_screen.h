// The level list over the screen it was opened from: the set's levels with their best times,
// wins and attempts, then a random level and the level of the day, then under "Your levels" the
// levels the player made in the editor, with their times and medals as well. Enter plays an open level; on
// a locked one it says which level opens it. The mouse picks a row as in the menus. P practises the chosen level from a cell the ball has
// stood on. Escape (or the list's key) goes back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "game/level_set.h"
#include "game/menu.h"
#include "game/words.h"
#include "records/statistics_store.h"
#include "shell/screen.h"

namespace quillomar {

class list_screen : public screen {
public:
    const char* name() const override { return "list"; }
    void enter(quillomar_game& game, bool returning) override;
    void step(quillomar_game& game) override;
    void draw(quillomar_game& game) override;
    void draw_under(quillomar_game& game, const std::vector<hud_line>& lines) override;
    void escape(quillomar_game& game) override;
    std::vector<hud_line> hud_lines(const quillomar_game& game) const override;

    const std::vector<level_list_row>& rows() const { return rows_; }
    std::size_t choice() const { return choice_; }
    // The list as shown: its lines and where each row is, for the mouse.
    menu_layout layout(const quillomar_game& game) const;
    // The cell the list's practice starts on for the chosen level, if it has any.
    std::optional<level_cell> practice_cell(const quillomar_game& game) const;

    // The heading over the player's own levels.
    static constexpr const char* own_heading = tr_later("Your levels");

private:
    void add_generated_rows(const std::string& records_folder);
    void add_own_rows(quillomar_game& game, const std::string& records_folder);
    // The level file and key of row `i`, when it is a level of the set or one of the player's.
    const level_set_entry* entry_of(const quillomar_game& game, std::size_t i) const;
    std::string key_of(const quillomar_game& game, std::size_t i) const;
    void choose(quillomar_game& game);

    std::vector<level_list_row> rows_;
    std::size_t choice_ = 0;
    std::size_t cell_choice_ = 0;
    // The seeds of the generated rows, chosen when the list opens.
    std::uint64_t random_seed_ = 0;
    std::uint64_t day_seed_ = 0;
    // The player's own levels, listed from row own_first_ on.
    level_set own_;
    std::vector<std::string> own_keys_;
    std::size_t own_first_ = 0;
    std::string note_;  // why the chosen row cannot be played
    std::vector<std::string> medals_;  // each set row's best medal, empty for none
    int medal_count_ = 0;
    double pointer_x_ = -1.0;  // the mouse, for the row it highlights
    double pointer_y_ = -1.0;
    // The practice cells of the row `cells_for_`, worked out when first asked for.
    mutable std::vector<level_cell> cells_;
    // That level as read, and its planned route's cells, to name the practice cell by.
    mutable level level_;
    mutable std::vector<level_cell> route_;
    mutable std::size_t cells_for_ = static_cast<std::size_t>(-1);
};

}  // namespace quillomar
