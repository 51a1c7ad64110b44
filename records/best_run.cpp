#include "records/best_run.h"

#include <filesystem>

#include "framework/bounded_read.h"

namespace quillomar {

std::string best_run_path(const std::string& records_folder, const std::string& key) {
    return records_folder + "/" + key + ".replay";
}

bool keep_won_run(records_store& records, const recording& run, const std::string& level_name,
                  double seconds, int lives_lost) {
    const bool usable_run =
        run.level_key.size() == 16 &&
        run.level_key.find_first_not_of("0123456789abcdef") == std::string::npos && seconds > 0.0 &&
        seconds <= max_record_seconds && lives_lost >= 0 && lives_lost <= max_record_lives_lost;
    if (!usable_run) {
        return false;
    }
    const level_record* old = records.find(run.level_key);
    const bool faster = old == nullptr || seconds < old->best_time_seconds;
    if (faster && !records.folder().empty()) {
        recording best = run;
        best.result = run_result{seconds, lives_lost};
        const std::string path = best_run_path(records.folder(), run.level_key);
        if (!save_recording(best, path)) {
            // Without its own run the record must stand alone rather than beside a slower one.
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    }
    return records.update_with_run(run.level_key, level_name, seconds, lives_lost);
}

int settle_best_runs(records_store& records) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (records.folder().empty() || !fs::is_directory(records.folder(), error)) {
        return 0;
    }
    int settled = 0;
    for (fs::directory_iterator it(records.folder(), error), end; !error && it != end;
         it.increment(error)) {
        const fs::path& path = it->path();
        if (path.extension() != ".replay") {
            continue;
        }
        std::string text;
        const bounded_read read = read_bounded(path.string(), max_recording_bytes, text);
        const std::optional<recording> run =
            read.ok() && !read.truncated ? parse_recording(text) : std::nullopt;
        // Only a run of the level it is named after, carrying its result, can be a record.
        if (!run || !run->result || path.stem().string() != run->level_key) {
            continue;
        }
        const level_record* old = records.find(run->level_key);
        if ((old == nullptr || run->result->seconds < old->best_time_seconds) &&
            records.update_with_run(run->level_key, old != nullptr ? old->level_name : "",
                                    run->result->seconds, run->result->lives_lost)) {
            ++settled;
        }
    }
    return settled;
}

}  // namespace quillomar
