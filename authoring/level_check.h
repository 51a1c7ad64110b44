// `quillomar --check`: whether each level file can be finished, proven by playing it. For each
// file, its problems (each naming the file and, where there is one, the line), then one verdict
// line naming the file.
#pragma once

#include <atomic>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "level/grid_cell.h"
#include "level/level.h"

namespace quillomar {

struct level_verdict {
    std::vector<std::string> lines;  // the problems, then the verdict
    bool finishable = false;
    // The verdict without the file's name: the time of play when finishable, else the reason.
    double seconds = 0.0;
    std::string reason;
    // Where a level that is not finishable fails, when the check can name a cell: where the
    // ball fell, where a spider caught it, or the farthest cell the planner reached. The reason
    // names the same cell.
    std::optional<grid_cell> place;
    // When finishable: the lives lost on the way, and the flips of the run that finished.
    int lives_lost = 0;
    int flips_used = 0;
};

// The verdict line without the file's name, as --check prints it after "NAME: ":
// "finishable in 47.87 s, 0 lives lost, 2 flips used; medals: author 47.9 s, ..." or
// "not finishable: " and the reason.
std::string verdict_line(const level_verdict& verdict);

// The verdict in a few words, as the editor shows it: "finishable in 0:12.4" or
// "not finishable: " and the reason.
std::string verdict_summary(const level_verdict& verdict);

// Checks a level already read; `name` is how the lines name it. Setting `cancel` stops the play
// early, with a verdict of not finishable that nobody should show.
level_verdict check_level(const level& lvl, const std::string& name,
                          const std::atomic<bool>* cancel = nullptr);

// Reads the file first: a missing or unreadable file, a folder or anything that is not a plain
// file is not finishable, with the reason in its verdict. The reader's own console lines are
// left out of the answer. Prints nothing, so any thread may call it.
level_verdict check_level_file(const std::string& path);

// Checks every file and writes their lines; the exit status: 0 when every file is finishable,
// otherwise 1.
int run_level_check(const std::vector<std::string>& paths, std::ostream& out);

}  // namespace quillomar
