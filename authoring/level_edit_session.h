// What `quillomar --edit FILE` works on: one level file's document, its undo history, and whether
// the edits since the last save are still only in memory. The editing view calls these and shows
// the answers; nothing here draws or reads a key.
#pragma once

#include <optional>
#include <string>

#include "authoring/cell_area.h"
#include "authoring/edit_history.h"
#include "authoring/level_document.h"

namespace quillomar {

class level_edit_session {
public:
    // The level in `path`, or a new empty level when there is no such file. A file that cannot
    // be read (not a regular file, longer than the level file limit, unreadable) gives nothing
    // and one line naming it in `message`; the caller prints it.
    static std::optional<level_edit_session> open(const std::string& path, std::string* message);

    const std::string& path() const { return path_; }
    // True while the file did not exist when opened and has not been saved since.
    bool is_new() const { return is_new_; }
    const level_document& document() const { return document_; }

    // The document's edits, each one undoable; a refused edit's reason is in the result.
    edit_result set_height(grid_cell cell, int height);
    // Every cell of the area to `height` (0 clears them), one undoable edit.
    edit_result set_area_height(const cell_area& area, int height);
    // Every cell of the area `steps` higher (lower when negative), kept within 0 to 9; one edit.
    edit_result raise_area(const cell_area& area, int steps);
    // Keeps the heights of the area, empty cells too, and its items and spiders, for paste.
    void copy(const cell_area& area);
    bool has_copy() const { return copied_.columns > 0; }
    // The copied area with its top-left cell at `at`: its heights, and items and spiders where
    // the copy had them and nowhere else in it; one undoable edit, nothing before a copy.
    edit_result paste(grid_cell at);
    edit_result set_start(grid_cell cell);
    edit_result set_finish(grid_cell cell);
    edit_result toggle_item(grid_cell cell);
    edit_result toggle_enemy(grid_cell cell);
    edit_result set_facing(std::optional<facing> heading);
    edit_result set_title(std::string_view text);
    edit_result set_hint(std::string_view text);
    bool undo() { return history_.undo(document_); }
    bool redo() { return history_.redo(document_); }

    // True when the document differs from what was last opened or saved.
    bool is_dirty() const { return history_.state() != saved_state_; }

    // Writes the document to its file atomically. On failure the file is untouched, the edits
    // stay in memory and unsaved, and `message` holds one line naming the file.
    bool save(std::string* message);

private:
    struct copied_heights {
        int columns = 0;
        int rows = 0;
        std::vector<int> heights;  // row by row
        std::vector<grid_cell> items;    // from the area's top-left cell
        std::vector<grid_cell> enemies;
    };

    level_edit_session(std::string path, level_document document, bool is_new)
        : path_(std::move(path)), document_(std::move(document)), is_new_(is_new) {}
    edit_result record(edit_result result);

    std::string path_;
    level_document document_;
    edit_history history_;
    std::uint64_t saved_state_ = 0;
    bool is_new_ = false;
    copied_heights copied_;
};

}  // namespace quillomar
