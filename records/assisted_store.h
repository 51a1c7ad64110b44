// The levels won only with help (the game slowed down): such a win keeps no record and no best
// run, but it opens the next level, so a player who needs the help is never stuck. Kept beside
// the records in a file of its own. Plain C++.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quillomar {

// The assisted file, version 1: the header line, then one level key a line, every line ending
// in "\n":
//   quillomar-assisted 1
//   <key>
// A line that is not a level key, repeats one or is cut off costs only itself.
struct assisted_text {
    std::set<std::string> keys;
    std::vector<std::string> damaged_lines;  // as they stood, without the line end
    std::string why;                         // the first damaged line's fault
};

// parse_assisted reads back whatever format_assisted writes. A text that is no assisted file at
// all (empty, or another first line) gives nothing, and the reason in `why`.
std::optional<assisted_text> parse_assisted(std::string_view text, std::string* why = nullptr);
std::string format_assisted(const std::set<std::string>& keys);

class assisted_store {
public:
    // Keeps `folder`/assisted.txt (the records folder). An empty folder keeps nothing.
    explicit assisted_store(std::string folder);

    // Reads the file; a missing one gives no levels. Returns the one line to print when the file
    // or some of its lines were damaged and set aside, else nothing; when the damage cannot be
    // kept aside, this store never saves, so as not to overwrite it.
    std::optional<std::string> load();
    // Adds the level and writes the file atomically; false with the reason in `error` when that
    // fails. A key already kept writes nothing.
    bool add(const std::string& key, std::string* error = nullptr);

    const std::set<std::string>& keys() const { return keys_; }

private:
    std::string path() const;

    std::string folder_;
    std::set<std::string> keys_;
    bool can_save_ = true;
};

}  // namespace quillomar
