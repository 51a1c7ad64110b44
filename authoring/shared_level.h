// Levels that came as codes: kept in <records>/shared/ under their content key (<key>.txt), with
// the run that came with them (<key>.replay) as the ghost to beat; and the code of a level with
// the run a player would pass on.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>

#include "authoring/level_check.h"
#include "game/recording.h"

namespace quillomar {

// <records>/shared; empty without a records folder.
std::string shared_levels_folder(const std::string& records_folder);

struct taken_code {
    bool ok = false;
    // One line for the player: why the code was refused, or what was kept.
    std::string line;
    // The level file kept, and its key.
    std::string level_path;
    std::string key;
    level_verdict verdict;
    bool with_run = false;
};

// Decodes a pasted code, checks its level and, when it is finishable, keeps it in the shared
// folder (written atomically; a level already there is left as it is) with its run, unless the
// run already kept there is faster. Prints nothing; `cancel` stops the check, refusing the code.
taken_code take_level_code(std::string_view text, const std::string& records_folder,
                           const std::atomic<bool>* cancel = nullptr);

// Keeps the level file `level_file` (whose key is `key`) in the shared folder, written
// atomically unless the same file is there already, and `run` beside it unless the run kept there
// is faster. The path of the level file; empty, with the path that failed and why, otherwise
// (`failed` empty: there is no folder for records).
struct kept_shared_level {
    std::string level_path;
    std::string failed;
    std::string why;
    bool run_failed = false;
};
kept_shared_level keep_shared_level(const std::string& records_folder, const std::string& key,
                                    const std::string& level_file,
                                    const std::optional<recording>& run);

// The run to beat on the level `key`: the faster of the player's best run and the run that came
// with a shared code; nothing when there is neither.
std::optional<recording> run_to_beat(const std::string& records_folder, const std::string& key);

// The code of the level file at `path` (a path of this platform), with its run to beat when
// `with_run` and there is one (`run_added` says whether there was). Nothing, and one line naming
// the file in `why`, when the file cannot be read.
std::optional<std::string> level_file_code(const std::string& path,
                                           const std::string& records_folder, bool with_run,
                                           std::string* why, bool* run_added = nullptr);

}  // namespace quillomar
