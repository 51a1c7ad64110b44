// The title menu's Editor: a list of the author's own levels ($XDG_DATA_HOME/quillomar/levels),
// a new level (its name typed first), and a copy of any level of the set. Enter (or a click) opens
// the chosen one in the editor over this list, and Escape there comes back here. Nothing is written outside
// the author's folder: a copy is a new file there, the set's files are only read.
#pragma once

#include <string>
#include <vector>

#include "game/menu.h"
#include "shell/screen.h"

namespace quillomar {

// Copies the level at `game_path` (a level of the set, only read) into the author's `folder` as
// "copy_of_NAME.txt" (or the next free name) and returns the copy's path; empty, with one line in
// `note`, when it cannot be read or written.
std::string copy_to_own_levels(const std::string& folder, const std::string& game_path,
                               std::string* note);

class editor_list_screen : public screen {
public:
    struct row {
        enum class kind { new_level, own, copy } what;
        std::string title;
        std::string path;  // an own level's file, or the set level's game path to copy
    };

    const char* name() const override { return "editor list"; }
    void enter(quillomar_game& game, bool returning) override;
    void step(quillomar_game& game) override;
    void draw(quillomar_game& game) override;
    void draw_under(quillomar_game& game, const std::vector<hud_line>& lines) override;
    void escape(quillomar_game& game) override;
    std::vector<hud_line> hud_lines(const quillomar_game& game) const override;

    const std::vector<row>& rows() const { return rows_; }
    std::size_t choice() const { return choice_; }
    const std::string& folder() const { return folder_; }
    // The list as shown: its lines and where each row is, for the mouse.
    menu_layout layout(const quillomar_game& game) const;

private:
    void choose(quillomar_game& game);
    void name_typed(quillomar_game& game);

    std::string folder_;
    std::vector<row> rows_;
    std::size_t choice_ = 0;
    bool naming_ = false;
    std::string typed_;
    std::string note_;
    double pointer_x_ = -1.0;  // the mouse, for the row it highlights
    double pointer_y_ = -1.0;
};

}  // namespace quillomar
