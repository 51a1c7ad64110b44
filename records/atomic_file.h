// Writing a file so that a crash or a power cut at any moment leaves either the old file or the
// new one, never half of one.
#pragma once

#include <string>

namespace quillomar {

// Writes `text` to a temporary file beside `path`, syncs it, renames it over `path` and syncs the
// folder. Returns false with the reason in `error` (the temporary file removed) when any step
// fails; the old file is then untouched.
bool write_file_atomically(const std::string& path, const std::string& text, std::string* error);

// Removes the file at `path` (one that is not there is removed already) and syncs its folder, so
// that a file taken away (a queued run once sent) does not come back after a power cut, nor after
// a reload in the browser. False with the reason in `error` when it cannot be removed.
bool remove_file_durably(const std::string& path, std::string* error);

}  // namespace quillomar
