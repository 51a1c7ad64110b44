// The author's own level files: one folder of the player's data ($XDG_DATA_HOME/quillomar/levels),
// never the game's installed levels nor the repository. What the title menu's editor list shows
// and where a new level or a copy of a set level goes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "game/level_set.h"

namespace quillomar {

// The folder below the player's data folder (records_folder); empty without one.
std::string own_levels_folder(const std::string& data_folder);

// The names of the level files ("*.txt", regular files) in the folder, sorted, at most 500; none
// when the folder is not there.
std::vector<std::string> own_level_names(const std::string& folder);

// The author's levels as the level list shows them: each file of own_level_names, called by its
// title line, or by its file name without ".txt" when it has none (or cannot be read). Only the
// start of each file is read for its title.
level_set own_level_set(const std::string& folder);

// A file name for the name the author typed: letters, digits, '-' and '_' kept, blanks as '_',
// everything else dropped, at most 60 characters, with ".txt" after it; empty when nothing is left.
std::string own_level_file_name(std::string_view typed);

// `file_name` when no file of the folder has it, else the first free of "name-2.txt",
// "name-3.txt"...
std::string free_level_name(const std::string& folder, const std::string& file_name);

// Makes the folder (and those above it) when missing; false with one line in `message` when it
// cannot.
bool make_own_levels_folder(const std::string& folder, std::string* message);

// A new file in the folder holding `text` (a copy of a set level) under a free name from
// `file_name`; its path, or empty with one line in `message`.
std::string write_own_level(const std::string& folder, const std::string& file_name,
                            const std::string& text, std::string* message);

}  // namespace quillomar
