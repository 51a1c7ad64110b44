// The shipped levels as an ordered set: a plain text order file names them one per line, and a
// level opens once the one before it has been won.
#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "records/records_store.h"

namespace quillomar {

struct level_set_entry {
    std::string path;   // a game path, opened like any level file
    std::string title;  // what the level list calls it
};

using level_set = std::vector<level_set_entry>;

// Where the game looks for its set.
inline constexpr const char* level_order_file = "levels/order.txt";

// A set is read up to these: far beyond any set made by hand, and each level costs a look at its
// file when the list opens.
inline constexpr std::size_t max_level_set_levels = 1000;
inline constexpr std::size_t max_level_set_bytes = std::size_t{1} << 20;

// One level per line: its path, then optionally blanks and a title (the file's name without
// folder and extension when there is none). Blank lines and lines starting with '#' say nothing.
// A line with a control character is left out and counted in `skipped`.
level_set parse_level_set(std::string_view text, int* skipped = nullptr);

// Reads the order file; prints one line when it is missing, not a regular file, names nothing or
// is beyond the limits (then its first levels are kept).
level_set load_level_set(const std::string& path);

// One row of the level list.
struct level_list_row {
    std::string title;
    bool unlocked = false;
    std::optional<double> best_seconds;
    // Won only with help (the game slowed down): no time kept, but the next level is open.
    bool assisted = false;
    // From the player's statistics, filled in by the shell.
    long attempts = 0;
    long wins = 0;
};

// The first level is always open, and so is every level that has been won or that follows a
// won one; a win with help (`assisted` holds those levels' keys) opens the next level as well.
// `keys` holds each entry's level_key_of_file, in the set's order.
std::vector<level_list_row> level_list_rows(const level_set& set,
                                            const std::vector<std::string>& keys,
                                            const records_map& records,
                                            const std::set<std::string>& assisted = {});

// The index of the level with `key` in `keys`, if the set has it.
std::optional<std::size_t> index_of_level(const std::vector<std::string>& keys,
                                          const std::string& key);

}  // namespace quillomar
