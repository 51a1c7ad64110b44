// A generated level kept as a file beside the records, so that its best time and its ghost work
// as any level's do: both are keyed by the file's content, which the seed alone decides.
#pragma once

#include <cstdint>
#include <string>

namespace quillomar {

// <records folder>/generated/seed-<seed>.txt
std::string generated_level_path(const std::string& records_folder, std::uint64_t seed);

// Writes the medium-sized level of `seed` there atomically, making the folder when needed, and
// returns its path; empty, with one line naming the file (or the missing records folder) in
// `message`, when it cannot be written.
std::string keep_generated_level(const std::string& records_folder, std::uint64_t seed,
                                 std::string* message);

}  // namespace quillomar
