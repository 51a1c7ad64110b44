// The title and pause menus as plain data: pages of entries, the entry chosen, and what moving
// through them asks of the shell. The shell turns keys, the mouse and a gamepad into menu inputs
// and carries out the actions; nothing here draws or reads a key.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "game/hud_layout.h"
#include "game/hud_lines.h"
#include "game/level_set.h"
#include "game/text_fit.h"
#include "records/settings.h"

namespace quillomar {

// What the shell is asked to do.
enum class menu_action {
    none,
    play,              // the set, at the first level not yet won
    levels,            // the level list
    random_level,
    level_of_the_day,
    editor,
    replays,
    paste_level,       // a level code from the clipboard, played
    online,            // the record server: shared levels, leaderboards, the player's name
    fall_map,          // where lives were lost, over the level, on or off
    quit,              // end the game
    resume,            // back to play
    restart,           // the level again from its start
    title,             // the title menu
    leave,             // back out of the first page: the title quits, the pause menu resumes
    changed,           // a setting's value changed: see the chosen entry
    rebind,            // the chosen entry's key is to be replaced by the next key pressed
    reset_keys,        // every key back to its default
    next_level,        // the level after the one finished
};

enum class menu_input { up, down, left, right, confirm, back };

struct menu_entry {
    std::string label;
    // Confirming it asks for this, unless it opens a page.
    menu_action action = menu_action::none;
    int opens = -1;
    // A setting's choices as shown, and the one in force; left and right step through them,
    // confirming one without an action steps on round.
    std::vector<std::string> values;
    std::size_t value = 0;
    // Which setting or key it is ("music", "key:forward"); empty for the rest.
    std::string id;
    // What the setting does, shown under the page while it is chosen; empty for most.
    std::string help;
};

struct menu_page {
    std::string title;
    std::vector<menu_entry> entries;
};

class menu {
public:
    // Opens on the first entry of the first page.
    explicit menu(std::vector<menu_page> pages);

    menu_action handle(menu_input input);
    // Chooses the entry in that row of the page shown (the mouse pointing at it); false when the
    // page has no such row.
    bool point_at(std::size_t row);

    const menu_page& page() const { return pages_[page_]; }
    std::size_t page_index() const { return page_; }
    std::size_t choice() const { return choice_; }
    const menu_entry& chosen() const { return pages_[page_].entries[choice_]; }
    // The entry with `id` on any page, or null.
    menu_entry* find(const std::string& id);
    // New pages of the same shape (after the values changed behind them); the page and choice
    // shown stay where they were.
    void replace_pages(std::vector<menu_page> pages);

private:
    std::vector<menu_page> pages_;
    struct place {
        std::size_t page;
        std::size_t choice;
    };
    std::vector<place> trail_;  // the pages opened before this one, each with its choice
    std::size_t page_ = 0;
    std::size_t choice_ = 0;
};

// The pages of the title menu and of the pause menu, their settings pages showing `shown` (the
// settings in force, the window's too) and the keys `bound` (action and key in the Controls
// page's order).
std::vector<menu_page> title_menu_pages(const settings& shown,
                                        const std::vector<key_binding>& bound);
std::vector<menu_page> pause_menu_pages(const settings& shown,
                                        const std::vector<key_binding>& bound);
// The menu over a finished run: no Resume, but the next level (when the set has one open) and
// the level again; leaving it goes back to the run's panel.
std::vector<menu_page> finished_menu_pages(const settings& shown,
                                           const std::vector<key_binding>& bound, bool has_next);

// The window a menu is laid out in, and what it shows beside its page.
struct menu_screen {
    int width = 1024;
    int height = 768;
    // The text size in force: the renderer draws every line this much larger, so the layout
    // plans with it while the lines carry their own sizes only.
    float text_scale = 1.0f;
    // The pointer in window pixels from the top-left corner; the row under it is highlighted.
    double pointer_x = -1.0;
    double pointer_y = -1.0;
    // The page's title is the game's name, drawn large over the menu.
    bool big_title = false;
    // The chosen key row waits for its new key: its value reads "...".
    bool waiting_for_key = false;
    // A line under the menu (a refused key, a setting that applies at the next start).
    std::string note;
};

// A row of the page on screen: its entry and the band that picks it, in window pixels.
struct menu_row_place {
    std::size_t entry = 0;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct menu_layout {
    std::vector<hud_line> lines;
    std::vector<menu_row_place> rows;  // the rows shown, top to bottom
};

// A page filling the HUD's `frame` at its text size, with the pointer where it is.
menu_screen page_screen(const hud_frame& frame, double pointer_x = -1.0, double pointer_y = -1.0);

// The page shown, laid out to fit the window at the text size: the title at the top, the rows
// centred below it (as many as fit, around the choice, with marks saying how many more are
// above and below), each value in a column beside its label, labels and values shortened where
// they must be, the chosen entry marked "> ... <", and the note wrapped at the bottom. Where the
// page does not fit whole at the text size asked, its text is drawn smaller (never below the
// HUD's own size) until every row shows and no label is cut.
menu_layout lay_out_menu(const menu& m, const menu_screen& screen, const text_metrics& metrics);

// The entry whose row is under the point, if any.
std::optional<std::size_t> entry_at(const menu_layout& layout, double x, double y);

// Takes the value of a settings entry (one with an id but no key) into `values`.
void apply_entry(settings& values, const menu_entry& entry);

// The row of the level list that Play continues at: the first open level not yet won (with
// help or without), or the first level once every one is won.
std::size_t level_to_continue(const std::vector<level_list_row>& rows);

}  // namespace quillomar
