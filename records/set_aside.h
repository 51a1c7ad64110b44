// Keeping what could not be read: a damaged file of the player's is never deleted or overwritten,
// only moved or copied aside under a name that is free, so a fault of ours costs no data.
#pragma once

#include <string>
#include <vector>

namespace quillomar {

// `path`.damaged, or `path`.damaged.N for the first N from 1 that names nothing; empty when none
// of the first thousand is free.
std::string free_aside_name(const std::string& path);

// Moves the file (whatever it is: a FIFO, a folder, a link) to a free aside name. Returns that
// name, or empty with the reason in `error`.
std::string move_aside(const std::string& path, std::string* error);

// Writes `lines` (each ended by a line feed) atomically to a free aside name of `path`. Returns
// that name, or empty with the reason in `error`.
std::string write_aside(const std::string& path, const std::vector<std::string>& lines,
                        std::string* error);

// What a store of many entries did with the damage in its file, and the one console line that
// says so. When `kept` is false the damage could not be kept aside, and the store must not save
// over the file.
struct aside_outcome {
    bool kept = false;
    std::string line;
};

// A file that is no file of its kind at all is moved aside whole. `lost` names what goes
// unsaved when that fails ("best times").
aside_outcome move_damaged_file_aside(const std::string& path, const std::string& why,
                                      const std::string& lost);

// Damaged lines are copied aside; the store keeps, and saves again, the good entries, which
// `kept` names ("3 records").
aside_outcome copy_damaged_lines_aside(const std::string& path,
                                       const std::vector<std::string>& lines,
                                       const std::string& why, const std::string& kept,
                                       const std::string& lost);

}  // namespace quillomar
