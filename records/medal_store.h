// Every level's medal times, kept beside the records so that a level's route is proven once, not
// at every start. Plain C++: nothing here needs the window, the context or sound.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/medal_times.h"

namespace quillomar {

// Keyed like the records: level_key() of the level file's content.
using medals_map = std::map<std::string, medal_times>;

// The medals file, version 2: the header line, then one line per level, every line ending in
// "\n":
//   quillomar-medals 2
//   <key> direct|classic <author> <gold> <silver> <bronze>   (seconds with one decimal: 47.9)
// the steering the times were proven with. Version 1 ("quillomar-medals 1", lines without the
// steering) was proven with classic steering, and is read so.
// Each line stands alone: one that does not follow this form (no level key, times out of order
// or beyond any level, a level already read, no final line end) costs only itself.
struct medals_text {
    medals_map medals;
    std::vector<std::string> damaged_lines;  // as they stood, without the line end
    std::string why;                         // the first damaged line's fault
};

// parse_medals reads back whatever format_medals writes. A text that is no medals file at all
// (empty, or another first line) gives nothing, and the reason in `why`.
std::optional<medals_text> parse_medals(std::string_view text, std::string* why = nullptr);
std::string format_medals(const medals_map& medals);

class medal_store {
public:
    // Keeps `folder`/medals.txt (the records folder). An empty folder keeps nothing.
    explicit medal_store(std::string folder);

    // Reads the file; a missing one gives no medals. Returns the one line to print when the file
    // or some of its lines were damaged and set aside (records.txt's way), else nothing. When the
    // damage cannot be kept aside, this store never saves, so as not to overwrite it.
    std::optional<std::string> load();

    // Sets a level's times and writes the file atomically; false when that fails, with the
    // reason in `error`. Times that are not usable() change nothing.
    bool set(const std::string& key, const medal_times& times, std::string* error = nullptr);

    // The level's times as the checking player proves them now (with direct steering); null
    // when there are none, or only stale ones.
    const medal_times* find(const std::string& key) const;
    const medals_map& medals() const { return medals_; }
    std::string file_path() const;

private:
    bool save(std::string* error) const;

    std::string folder_;
    medals_map medals_;
    bool can_save_ = true;
};

}  // namespace quillomar
