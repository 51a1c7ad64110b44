#include "authoring/shared_level.h"

#include <filesystem>
#include <sstream>
#include <system_error>

#include "framework/bounded_read.h"
#include "game/words.h"
#include "level/level.h"
#include "records/atomic_file.h"
#include "records/best_run.h"
#include "records/level_code.h"
#include "records/records_store.h"

namespace quillomar {
namespace {

// The run kept at `path`, when it is a whole run of the level `key`.
std::optional<recording> kept_run(const std::string& path, const std::string& key) {
    std::string text;
    const bounded_read read = read_bounded(path, max_recording_bytes, text);
    if (!read.ok() || read.truncated) {
        return std::nullopt;
    }
    std::optional<recording> run = parse_recording(text);
    if (!run || run->level_key != key) {
        return std::nullopt;
    }
    return run;
}

// Whether `a` is faster than `than`: a run that carries no time is the slowest.
bool faster(const recording& a, const std::optional<recording>& than) {
    return !than || !than->result || (a.result && a.result->seconds < than->result->seconds);
}

}  // namespace

std::string shared_levels_folder(const std::string& records_folder) {
    return records_folder.empty() ? std::string() : records_folder + "/shared";
}

taken_code take_level_code(std::string_view text, const std::string& records_folder,
                           const std::atomic<bool>* cancel) {
    taken_code taken;
    std::string why;
    const std::optional<decoded_level_code> decoded = decode_level_code(text, &why);
    if (!decoded) {
        taken.line = why;
        return taken;
    }
    taken.key = decoded->key;
    level read;
    std::istringstream in(decoded->level_file);
    read.read_stream(in, "the pasted level");
    taken.verdict = check_level(read, "the pasted level", cancel);
    if (cancel != nullptr && cancel->load()) {
        taken.line = tr("The pasted level was not checked.");
        return taken;
    }
    if (!taken.verdict.finishable) {
        taken.line = tr("The pasted level is ") + verdict_summary(taken.verdict) + ".";
        return taken;
    }
    const kept_shared_level kept = keep_shared_level(records_folder, decoded->key,
                                                     decoded->level_file, decoded->run);
    taken.with_run = decoded->run.has_value();
    if (kept.level_path.empty()) {
        taken.line = kept.failed.empty()
                         ? tr("The pasted level cannot be kept: there is no folder for records.")
                     : kept.run_failed
                         ? tr("The pasted run cannot be kept in ") + kept.failed + ": " + kept.why
                         : tr("The pasted level cannot be kept in ") + kept.failed + ": " + kept.why;
        return taken;
    }
    taken.level_path = kept.level_path;
    taken.ok = true;
    taken.line = tr("Pasted level ") + decoded->key + ": " + verdict_summary(taken.verdict) +
                 (taken.with_run ? tr(", with a run to beat.") : std::string("."));
    return taken;
}

kept_shared_level keep_shared_level(const std::string& records_folder, const std::string& key,
                                    const std::string& level_file,
                                    const std::optional<recording>& run) {
    kept_shared_level kept;
    const std::string folder = shared_levels_folder(records_folder);
    if (folder.empty()) {
        return kept;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string level_path = folder + "/" + key + ".txt";
    std::string level_on_disk;
    const bool there = read_bounded(level_path, max_level_file_bytes, level_on_disk).ok() &&
                       level_on_disk == level_file;
    if (!there && !write_file_atomically(level_path, level_file, &kept.why)) {
        kept.failed = level_path;
        return kept;
    }
    if (run) {
        const std::string run_path = folder + "/" + key + ".replay";
        if (faster(*run, kept_run(run_path, key)) &&
            !write_file_atomically(run_path, format_recording(*run), &kept.why)) {
            kept.failed = run_path;
            kept.run_failed = true;
            return kept;
        }
    }
    kept.level_path = level_path;
    return kept;
}

std::optional<recording> run_to_beat(const std::string& records_folder, const std::string& key) {
    if (records_folder.empty() || key.empty()) {
        return std::nullopt;
    }
    std::optional<recording> own = kept_run(best_run_path(records_folder, key), key);
    std::optional<recording> sent =
        kept_run(shared_levels_folder(records_folder) + "/" + key + ".replay", key);
    if (sent && faster(*sent, own)) {
        return sent;
    }
    return own;
}

std::optional<std::string> level_file_code(const std::string& path,
                                           const std::string& records_folder, bool with_run,
                                           std::string* why, bool* run_added) {
    std::string level_file;
    const bounded_read read = read_bounded(path, max_level_file_bytes, level_file);
    if (!read.ok() || read.truncated) {
        if (why != nullptr) {
            *why = describe_problem(path, read, max_level_file_bytes);
        }
        return std::nullopt;
    }
    std::optional<recording> run;
    if (with_run) {
        run = run_to_beat(records_folder, level_key(level_file));
    }
    if (run_added != nullptr) {
        *run_added = run.has_value();
    }
    return encode_level_code(level_file, run ? format_recording(*run) : std::string());
}

}  // namespace quillomar
