// A won run kept as the level's record and its best run (<key>.replay beside records.txt), in an
// order that a kill at any moment cannot turn into a record beside another run than its own.
#pragma once

#include <string>

#include "game/recording.h"
#include "records/records_store.h"

namespace quillomar {

// The best run of a level: <folder>/<key>.replay.
std::string best_run_path(const std::string& records_folder, const std::string& key);

// Takes a won run of the level `run.level_key` into `records` (loaded). A run faster than the
// record (or the level's first) is written as the best run first, carrying its time and lives,
// and only then does the record take it: a kill between the two leaves a best run that
// settle_best_runs turns into its record at the next start. A run that only loses fewer lives
// changes the record, not the best run. Returns true when the record changed, as
// records_store::update_with_run does.
bool keep_won_run(records_store& records, const recording& run, const std::string& level_name,
                  double seconds, int lives_lost);

// Finishes what a kill cut short: every best run in the records' folder that carries a time
// faster than its level's record (or whose level has none) becomes the record. Returns how many
// records it set. Call it at start-up with the loaded records.
int settle_best_runs(records_store& records);

}  // namespace quillomar
