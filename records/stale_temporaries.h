// A write killed between its temporary file and the rename leaves that temporary beside the file
// it was to replace, a whole copy or part of one, that nothing else would ever remove.
#pragma once

#include <string>
#include <string_view>

namespace quillomar {

// Whether `name` is one of this game's own temporaries: the name of a file the game writes
// atomically in its records, recordings, generated levels or settings folder (records.txt,
// statistics.txt, medals.txt, settings.txt and their .damaged[.N] copies, <level key>.replay,
// a dated recording, a generated seed-N.txt), then a point and the six letters or digits of the
// temporary's own suffix (records.txt.Ab12Cd).
bool is_own_temporary_name(std::string_view name);

// Removes the plain files in `folder` (not below it) whose names are own temporaries; nothing
// else, not even a link or a folder of such a name. Returns how many went. Call it at start-up,
// before anything in the folder is written.
int remove_stale_temporaries(const std::string& folder);

}  // namespace quillomar
