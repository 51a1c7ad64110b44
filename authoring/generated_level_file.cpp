#include "authoring/generated_level_file.h"

#include <filesystem>

#include "authoring/level_generator.h"
#include "records/atomic_file.h"

namespace quillomar {

std::string generated_level_path(const std::string& records_folder, std::uint64_t seed) {
    return records_folder + "/generated/seed-" + std::to_string(seed) + ".txt";
}

std::string keep_generated_level(const std::string& records_folder, std::uint64_t seed,
                                 std::string* message) {
    if (records_folder.empty()) {
        *message = "No records folder to keep the generated level of seed " +
                   std::to_string(seed) + " in";
        return {};
    }
    const std::string path = generated_level_path(records_folder, seed);
    std::error_code ignored;
    // A folder that cannot be made fails the write below, which names the file.
    std::filesystem::create_directories(records_folder + "/generated", ignored);
    std::string error;
    if (!write_file_atomically(path, generate_level(seed, level_size::medium), &error)) {
        *message = "Cannot write generated level file " + path + ": " + error;
        return {};
    }
    return path;
}

}  // namespace quillomar
