#include "authoring/generated_level_file.h"

#include <cctype>
#include <filesystem>

#include "authoring/level_generator.h"
#include "authoring/level_title.h"
#include "framework/bounded_read.h"
#include "level/level_limits.h"
#include "records/atomic_file.h"

namespace quillomar {
namespace {

// The level of `seed` (`text`) as it was written before it had a title line.
std::string untitled_level(std::string text, std::uint64_t seed) {
    const std::string line = "title " + title_for_seed(seed) + "\n";
    const std::size_t at = text.find(line);
    if (at != std::string::npos) {
        text.erase(at, line.size());
    }
    return text;
}

}  // namespace

std::string generated_level_path(const std::string& records_folder, std::uint64_t seed) {
    return records_folder + "/generated/seed-" + std::to_string(seed) + ".txt";
}

std::optional<std::uint64_t> seed_of_generated_path(const std::string& path) {
    const std::filesystem::path p(path);
    const std::string name = p.filename().string();
    const std::string prefix = "seed-";
    const std::string suffix = ".txt";
    if (p.parent_path().filename() != "generated" ||
        name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix)) {
        return std::nullopt;
    }
    const std::string digits =
        name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.size() > 20 || (digits.size() > 1 && digits[0] == '0')) {
        return std::nullopt;
    }
    std::uint64_t seed = 0;
    for (const char c : digits) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (!std::isdigit(static_cast<unsigned char>(c)) || seed > (UINT64_MAX - digit) / 10) {
            return std::nullopt;
        }
        seed = seed * 10 + digit;
    }
    return seed;
}

std::string keep_generated_level(const std::string& records_folder, std::uint64_t seed,
                                 std::string* message) {
    if (records_folder.empty()) {
        *message = "No records folder to keep the generated level of seed " +
                   std::to_string(seed) + " in";
        return {};
    }
    const std::string path = generated_level_path(records_folder, seed);
    const std::string fresh = generate_level(seed, level_size::medium);
    std::string kept;
    if (read_bounded(path, max_level_file_bytes, kept).ok() &&
        kept == untitled_level(fresh, seed)) {
        return path;
    }
    std::error_code ignored;
    // A folder that cannot be made fails the write below, which names the file.
    std::filesystem::create_directories(records_folder + "/generated", ignored);
    std::string error;
    if (!write_file_atomically(path, fresh, &error)) {
        *message = "Cannot write generated level file " + path + ": " + error;
        return {};
    }
    return path;
}

std::string generated_level_title(const std::string& path, const std::string& title_line) {
    const std::optional<std::uint64_t> seed = seed_of_generated_path(path);
    if (!seed) {
        return {};
    }
    return title_line.empty() ? title_for_seed(*seed) : title_line;
}

}  // namespace quillomar
