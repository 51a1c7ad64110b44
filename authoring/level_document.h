// A level file as the editor holds it: every line of the text as it was read, so that an
// unchanged document formats to the very same bytes, and the level those lines describe under the
// game's reading rules (level::read_stream stays the authority). An edit rewrites, inserts or
// removes only the lines it must and keeps the file within the level limits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "level/facing.h"
#include "level/grid_cell.h"

namespace quillomar {

// One line and the bytes that ended it: "\n", "\r\n", or nothing for a last line without one.
struct text_line {
    std::string text;
    std::string ending;
};

// Lines [at, at + removed.size()) replaced by `added`. A whole edit is a list of these, applied in
// order; undoing one applies the reversed list with removed and added swapped.
struct line_splice {
    std::size_t at = 0;
    std::vector<text_line> removed;
    std::vector<text_line> added;
};
using document_change = std::vector<line_splice>;

struct edit_result {
    bool changed = false;
    std::string refusal;      // why nothing changed, when an edit would break a limit
    document_change change;   // what changed, for the history
};

struct cube_cell {
    grid_cell cell;
    int height = 0;  // 1 to 9
};

class level_document {
public:
    // The document of `text`: any bytes read as the game reads them. Texts longer than the
    // level file limit are the caller's to refuse.
    explicit level_document(std::string_view text = {});

    // A level with a start and a finish at cell (0, 0), the layout line and no cubes yet.
    static level_document new_level();

    // The file's bytes: exactly the text read when nothing was edited.
    std::string text() const;
    std::size_t size() const { return bytes_; }

    // The cube height at a cell, 0 for none (outside the layout, or past the cube limit).
    int height(grid_cell cell) const;
    // Every cube the game would build, in its reading order.
    std::vector<cube_cell> cubes() const;
    std::optional<grid_cell> start() const;   // none without a start line: the game uses (0, 0)
    std::optional<grid_cell> finish() const;
    const std::vector<grid_cell>& items() const { return items_; }      // those the game keeps
    const std::vector<grid_cell>& enemies() const { return enemies_; }
    // The facing the game reads; none without a facing line that names a direction (the game
    // then faces north).
    std::optional<facing> start_facing() const { return facing_; }
    const std::string& title() const { return title_; }  // empty when none
    const std::string& hint() const { return hint_; }

    // Height 0 removes the cube; 1 to 9 sets it, adding layout rows and columns as needed.
    edit_result set_height(grid_cell cell, int height);
    // Every cell to its height as one edit, in the order given: all of them, or none and the
    // first refusal.
    edit_result set_heights(const std::vector<cube_cell>& cells);
    // A pasted area: every cell to its height, and an item (a spider) on exactly those cells of
    // it listed in `items` (`enemies`); one edit, all of it or none.
    edit_result set_area(const std::vector<cube_cell>& cells, const std::vector<grid_cell>& items,
                         const std::vector<grid_cell>& enemies);
    edit_result set_start(grid_cell cell);
    edit_result set_finish(grid_cell cell);
    // Removes every item (spider) of the cell when it has one, otherwise adds one.
    edit_result toggle_item(grid_cell cell);
    edit_result toggle_enemy(grid_cell cell);
    // Replaces the line that counts (the last of its kind) or adds one; none, or an empty
    // text, removes every line of the kind. A text must be one line within the text limit.
    edit_result set_facing(std::optional<facing> heading);
    edit_result set_title(std::string_view text);
    edit_result set_hint(std::string_view text);

    // Applies an edit's change again, or takes it back; for undo and redo.
    void apply(const document_change& change);
    void revert(const document_change& change);

private:
    struct marker_line {
        std::size_t line = 0;
        grid_cell cell;
    };

    void rescan();
    edit_result set_marker(const char* keyword, grid_cell cell);
    edit_result toggle_marker(const char* keyword, grid_cell cell);
    // Sets the one line of `keyword` to "keyword value", or removes them all without a value.
    edit_result set_word_line(const char* keyword, const std::vector<std::size_t>& lines,
                              std::optional<std::string> value);
    edit_result commit(document_change change);
    // True when the file may grow by `growth` bytes and stay within the level file limit.
    bool fits(std::uint64_t growth) const;
    void splice(const line_splice& s);
    // Where a new header line with this keyword goes: after the last line of the same kind,
    // else after the last keyword line, else before the layout line, else at the end.
    std::size_t insertion_point(const char* keyword) const;
    line_splice insert_line(std::size_t at, std::string text) const;
    line_splice append_lines(std::vector<std::string> texts) const;
    std::string new_line_ending() const;
    const std::string* row(std::size_t z) const;

    std::vector<text_line> lines_;

    // What the lines describe, rebuilt after every change.
    std::size_t bytes_ = 0;
    std::optional<std::size_t> path_line_;
    std::optional<marker_line> start_;
    std::optional<marker_line> finish_;
    std::vector<marker_line> item_lines_;   // every item line, kept or not
    std::vector<marker_line> enemy_lines_;
    std::vector<grid_cell> items_;
    std::vector<grid_cell> enemies_;
    std::vector<std::size_t> facing_lines_;  // every line of the kind, in file order
    std::vector<std::size_t> title_lines_;
    std::vector<std::size_t> hint_lines_;
    std::optional<facing> facing_;
    std::string title_;
    std::string hint_;
    std::size_t cube_count_ = 0;     // at most the cube limit
    grid_cell last_kept_cube_{-1, -1};  // the last cube the game builds when the limit cuts
    bool cubes_cut_ = false;
};

}  // namespace quillomar
