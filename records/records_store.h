// The player's best results per level, kept between games in a small text file of their own.
// Plain C++: nothing here needs the window, the context or sound.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillomar {

struct level_record {
    double best_time_seconds = 0.0;
    int fewest_lives_lost = 0;
    // The file name the level was last won as; only for people reading the records file.
    std::string level_name;
};

// Levels are keyed by their content, not their file name: players play another level by copying
// it over level.txt, so a name would mix the records of different levels, and an edited level is
// a new level whose old best time says nothing about it. The key is the 64-bit FNV-1a hash of the
// file's bytes as 16 lower-case hex digits, fixed by its definition (unlike std::hash) so a key
// stays the same across builds and machines.
std::string level_key(std::string_view level_file_content);

// The key of the level file the game would open for `path` (platform_path); empty when it cannot
// be read.
std::string level_key_of_file(const std::string& path);

using records_map = std::map<std::string, level_record>;

// Anything beyond these is damage, not a result.
inline constexpr double max_record_seconds = 1e7;
inline constexpr int max_record_lives_lost = 1000000;

// The records file, version 1: the header line, then one line per level, every line ending in
// "\n":
//   quillomar-records 1
//   <key> <best seconds, shortest exact decimal> <fewest lives lost> <level name to line end>
// Each line stands alone: a line that does not follow this form (no level key, a result no game
// can produce, a control character, a level already read, no final line end) costs only itself.
struct records_text {
    records_map records;
    std::vector<std::string> damaged_lines;  // as they stood, without the line end
    std::string why;                         // the first damaged line's fault
};

// parse_records reads back whatever format_records writes. A text that is no records file at all
// (empty, or another first line) gives nothing, and the reason in `why`.
std::optional<records_text> parse_records(std::string_view text, std::string* why = nullptr);
std::string format_records(const records_map& records);

// The records folder: $XDG_DATA_HOME/quillomar when that is an absolute path, else
// $HOME/.local/share/quillomar; empty when neither is usable. Takes the values so tests need not
// touch the process's environment.
std::string records_folder(const char* xdg_data_home, const char* home);

// records_folder from the environment; prints one line when there is no folder to keep records.
std::string default_records_folder();

class records_store {
public:
    // Keeps `folder`/records.txt. An empty folder keeps nothing: every save fails quietly.
    explicit records_store(std::string folder);

    // Reads the file. A missing file gives no records. Damaged lines are written aside to
    // records.txt.damaged (or .damaged.N when that is taken) with one console line, and the file
    // is saved again with every good record. A file that is not a records file at all (another
    // header, a FIFO, a folder, larger than any records file) is moved aside whole. When what is
    // damaged cannot be kept aside, this store never saves, so as not to overwrite it.
    void load();

    // Replaces the file atomically: a temporary file in the same folder, written, flushed and
    // synced, then renamed over the old one. A game killed at any moment leaves the old file or
    // the new one. Prints one line and returns false when that fails.
    bool save() const;

    // Takes a won run. Returns true when it sets the level's first record, beats its best time or
    // loses fewer lives; the better values are then kept and saved. A run no game can produce
    // (time not above zero or over max_record_seconds, negative lives) changes nothing.
    bool update_with_run(const std::string& key, const std::string& level_name, double seconds,
                         int lives_lost);

    const level_record* find(const std::string& key) const;
    const records_map& records() const { return records_; }
    std::string file_path() const;
    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
    records_map records_;
    bool can_save_ = true;
};

}  // namespace quillomar
