// The player's own statistics per level, kept beside the records: how often a level was tried and
// won, how many lives it cost and where, how long it was played, and the cells the ball has stood
// on (where practice may start). Keyed by the level's content key like the records, so an update
// of the game that leaves a level as it was keeps its statistics. Plain C++.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "level/level_cell.h"

namespace quillomar {

struct level_statistics {
    long attempts = 0;
    long wins = 0;
    long lives_lost = 0;
    long ticks_played = 0;                // time played, in ticks of the world's clock
    std::map<level_cell, long> deaths;    // lives lost on each cell
    std::set<level_cell> reached;         // cells the ball has stood on

    bool operator==(const level_statistics& o) const {
        return attempts == o.attempts && wins == o.wins && lives_lost == o.lives_lost &&
               ticks_played == o.ticks_played && deaths == o.deaths && reached == o.reached;
    }
};

using statistics_map = std::map<std::string, level_statistics>;

// Beyond these a line is damage, not statistics: a count no game reaches, a cell outside any
// level that can be read, more cells than a level has.
inline constexpr long max_statistics_count = 1000000000L;
inline constexpr int max_statistics_cell = 1 << 20;
inline constexpr std::size_t max_statistics_cells = 128 * 128;

// The statistics file, version 1: the header line, then one line per level, every line ending in
// "\n":
//   quillomar-statistics 1
//   <key> <attempts> <wins> <lives lost> <ticks played> [d<x>,<z>,<lives lost there> ...]
//       [r<x>,<z> ...]
// A line that does not follow this form costs only itself and is listed in `damaged_lines`.
struct statistics_text {
    statistics_map levels;
    std::vector<std::string> damaged_lines;  // as they stood, without the line end
    std::string why;                         // the first damaged line's fault
};

std::optional<statistics_text> parse_statistics(std::string_view text, std::string* why = nullptr);
std::string format_statistics(const statistics_map& levels);

class statistics_store {
public:
    // Keeps `folder`/statistics.txt; an empty folder keeps nothing.
    explicit statistics_store(std::string folder);

    // Reads the file as records_store::load reads the records: damaged lines are set aside in
    // statistics.txt.damaged (or .damaged.N) with one console line, a file that is no statistics
    // file at all is moved aside whole, and when what is damaged cannot be kept aside this store
    // never saves.
    void load();
    // Replaces the file atomically; one line and false when that fails.
    bool save() const;

    // The level's statistics, created empty when it has none.
    level_statistics& of(const std::string& key) { return levels_[key]; }
    const level_statistics* find(const std::string& key) const;
    const statistics_map& levels() const { return levels_; }
    std::string file_path() const;

private:
    std::string folder_;
    statistics_map levels_;
    bool can_save_ = true;
};

}  // namespace quillomar
