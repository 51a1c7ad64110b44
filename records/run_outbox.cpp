#include "records/run_outbox.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>

#include "framework/bounded_read.h"
#include "game/recording.h"
#include "level/level_limits.h"
#include "records/atomic_file.h"
#include "records/records_store.h"
#include "records/set_aside.h"

namespace quillomar {
namespace {

namespace fs = std::filesystem;
constexpr std::string_view header = "quillomar-outbox 1\n";
constexpr std::string_view suffix = ".run";

// The next line (without its end) off the front of `rest`; nothing when there is no line end.
std::optional<std::string_view> line_of(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    return line;
}

bool is_key(std::string_view key) {
    return key.size() == 16 && std::all_of(key.begin(), key.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// "<word> <N>" then N bytes and a line end; false with `why` set otherwise.
bool take_block(std::string_view& rest, std::string_view word, std::size_t limit,
                std::string& out, std::string& why) {
    const std::optional<std::string_view> line = line_of(rest);
    if (!line || line->substr(0, word.size() + 1) != std::string(word) + " ") {
        why = "no \"" + std::string(word) + "\" line";
        return false;
    }
    const std::string_view number = line->substr(word.size() + 1);
    std::size_t n = 0;
    const auto [stop, error] = std::from_chars(number.data(), number.data() + number.size(), n);
    if (error != std::errc() || stop != number.data() + number.size() || n > limit) {
        why = "a wrong length after \"" + std::string(word) + "\"";
        return false;
    }
    if (rest.size() < n + 1 || rest[n] != '\n') {
        why = "fewer bytes than \"" + std::string(word) + "\" says";
        return false;
    }
    out.assign(rest.substr(0, n));
    rest.remove_prefix(n + 1);
    return true;
}

}  // namespace

std::size_t max_outbox_entry_bytes() {
    return max_level_file_bytes + max_recording_bytes + 256;
}

std::string format_outbox_entry(const outbox_entry& e) {
    std::string out(header);
    out += "level " + e.level_key + "\n";
    out += "level-bytes " + std::to_string(e.level_text.size()) + "\n";
    out += e.level_text + "\n";
    out += "recording-bytes " + std::to_string(e.recording.size()) + "\n";
    out += e.recording + "\n";
    return out;
}

std::optional<outbox_entry> parse_outbox_entry(std::string_view text, std::string* why) {
    std::string fault;
    outbox_entry e;
    std::string_view rest = text;
    const auto fail = [&](std::string reason) -> std::optional<outbox_entry> {
        if (why != nullptr) {
            *why = std::move(reason);
        }
        return std::nullopt;
    };
    if (rest.substr(0, header.size()) != header) {
        return fail("its first line is not \"quillomar-outbox 1\"");
    }
    rest.remove_prefix(header.size());
    const std::optional<std::string_view> level = line_of(rest);
    if (!level || level->substr(0, 6) != "level " || !is_key(level->substr(6))) {
        return fail("no level key");
    }
    e.level_key = std::string(level->substr(6));
    if (!take_block(rest, "level-bytes", max_level_file_bytes, e.level_text, fault) ||
        !take_block(rest, "recording-bytes", max_recording_bytes, e.recording, fault)) {
        return fail(fault);
    }
    if (!rest.empty()) {
        return fail("more follows the recording");
    }
    if (level_key(e.level_text) != e.level_key) {
        return fail("the level is not the one its key names");
    }
    return e;
}

std::string outbox_folder(const std::string& records_folder) {
    return records_folder.empty() ? std::string() : records_folder + "/outbox";
}

run_outbox::run_outbox(std::string records_folder) : folder_(outbox_folder(records_folder)) {}

std::string run_outbox::add(const outbox_entry& entry) {
    if (folder_.empty()) {
        return {};
    }
    std::error_code ec;
    fs::create_directories(folder_, ec);
    // The recording's own hash tells two runs of one level apart; the same run kept twice is one.
    const std::string name = entry.level_key + "-" + level_key(entry.recording) + ".run";
    std::string error;
    if (!write_file_atomically(folder_ + "/" + name, format_outbox_entry(entry), &error)) {
        std::cout << "could not keep the run to send later in " << folder_ << ": " << error
                  << std::endl;
        return {};
    }
    return name;
}

std::vector<std::string> run_outbox::waiting() const {
    std::vector<std::pair<fs::file_time_type, std::string>> found;
    std::error_code ec;
    if (folder_.empty() || !fs::is_directory(folder_, ec)) {
        return {};
    }
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
            it->is_regular_file(ec)) {
            found.emplace_back(it->last_write_time(ec), name);
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& f : found) {
        names.push_back(std::move(f.second));
    }
    return names;
}

std::optional<outbox_entry> run_outbox::read(const std::string& name) const {
    const std::string path = folder_ + "/" + name;
    std::string text;
    const bounded_read r = read_bounded(path, max_outbox_entry_bytes(), text);
    if (r.result == bounded_read::outcome::missing) {
        return std::nullopt;
    }
    std::string why;
    std::optional<outbox_entry> entry;
    if (r.ok() && !r.truncated) {
        entry = parse_outbox_entry(text, &why);
    } else {
        why = describe_problem(path, r, max_outbox_entry_bytes());
    }
    if (!entry) {
        std::cout << move_damaged_file_aside(path, why, "this run to send").line << std::endl;
    }
    return entry;
}

void run_outbox::remove(const std::string& name) const {
    // Durably: in the browser a sent run that came back after a reload would be sent twice.
    remove_file_durably(folder_ + "/" + name, nullptr);
}

void run_outbox::refuse(const std::string& name, const std::string& reason) const {
    const std::string aside = folder_ + "/refused";
    std::error_code ec;
    fs::create_directories(aside, ec);
    std::string error;
    write_file_atomically(aside + "/" + name + ".why", reason + "\n", &error);
    fs::rename(folder_ + "/" + name, aside + "/" + name, ec);
    if (ec) {
        std::cout << "could not move the refused run " << name << " aside: " << ec.message()
                  << std::endl;
    }
}

}  // namespace quillomar
