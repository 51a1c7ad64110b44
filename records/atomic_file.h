// Writing a file so that a crash or a power cut at any moment leaves either the old file or the
// new one, never half of one.
#pragma once

#include <string>

namespace quillomar {

// Writes `text` to a temporary file beside `path`, syncs it, renames it over `path` and syncs the
// folder. Returns false with the reason in `error` (the temporary file removed) when any step
// fails; the old file is then untouched.
bool write_file_atomically(const std::string& path, const std::string& text, std::string* error);

}  // namespace quillomar
