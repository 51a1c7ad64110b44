// A generated level kept as a file beside the records, so that its best time and its ghost work
// as any level's do: both are keyed by the file's content, which the seed alone decides.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillomar {

// <records folder>/generated/seed-<seed>.txt
std::string generated_level_path(const std::string& records_folder, std::uint64_t seed);

// The seed of a path of that form (any folder named "generated"); nothing for any other path.
std::optional<std::uint64_t> seed_of_generated_path(const std::string& path);

// Writes the medium-sized level of `seed` there atomically, making the folder when needed, and
// returns its path; empty, with one line naming the file (or the missing records folder) in
// `message`, when it cannot be written. A file kept before levels had titles, which is that
// level without its title line, is left as it is: its records are keyed by its content.
std::string keep_generated_level(const std::string& records_folder, std::uint64_t seed,
                                 std::string* message);

// The title a generated level is shown by: its own title line, or for a file kept before
// levels had titles, the title of its seed; empty for a level that is not generated.
std::string generated_level_title(const std::string& path, const std::string& title_line);

}  // namespace quillomar
