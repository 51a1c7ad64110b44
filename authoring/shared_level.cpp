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
    const std::string folder = shared_levels_folder(records_folder);
    if (folder.empty()) {
        taken.line = tr("The pasted level cannot be kept: there is no folder for records.");
        return taken;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    taken.level_path = folder + "/" + decoded->key + ".txt";
    std::string level_on_disk;
    const bool kept = read_bounded(taken.level_path, max_level_file_bytes, level_on_disk).ok() &&
                      level_on_disk == decoded->level_file;
    if (!kept && !write_file_atomically(taken.level_path, decoded->level_file, &why)) {
        taken.line = tr("The pasted level cannot be kept in ") + taken.level_path + ": " + why;
        return taken;
    }
    if (decoded->run) {
        const std::string run_path = folder + "/" + decoded->key + ".replay";
        taken.with_run = true;
        if (faster(*decoded->run, kept_run(run_path, decoded->key)) &&
            !write_file_atomically(run_path, format_recording(*decoded->run), &why)) {
            taken.line = tr("The pasted run cannot be kept in ") + run_path + ": " + why;
            return taken;
        }
    }
    taken.ok = true;
    taken.line = tr("Pasted level ") + decoded->key + ": " + verdict_summary(taken.verdict) +
                 (taken.with_run ? tr(", with a run to beat.") : std::string("."));
    return taken;
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
