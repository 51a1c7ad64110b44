// The level editor (shell/edit_mode.h) as a screen: F5 play-tests the level over it, and Escape
// (after the unsaved-changes question) goes back to where the editor was opened from, or ends a
// game started with --edit.
#pragma once

#include <memory>
#include <string>

#include "shell/edit_mode.h"
#include "shell/screen.h"

namespace quillomar {

class edit_screen : public screen {
public:
    explicit edit_screen(std::unique_ptr<edit_mode> editor);
    const char* name() const override { return "edit"; }
    void enter(quillomar_game& game, bool returning) override;
    void step(quillomar_game& game) override;
    void draw(quillomar_game& game) override;
    void escape(quillomar_game& game) override;
    std::vector<hud_line> hud_lines(const quillomar_game& game) const override;
    edit_mode& editor() { return *editor_; }

private:
    std::unique_ptr<edit_mode> editor_;
    std::string level_key_;  // the level as opened, whose fall map the editor shows
};

}  // namespace quillomar
