#include "game/level_set.h"

#include <algorithm>
#include <iostream>

#include "framework/asset_paths.h"
#include "framework/bounded_read.h"

namespace quillomar {
namespace {

bool has_control_character(std::string_view line) {
    for (const char c : line) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
            return true;
        }
    }
    return false;
}

std::string title_from_path(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        name.erase(dot);
    }
    return name.empty() ? path : name;
}

}  // namespace

level_set parse_level_set(std::string_view text, int* skipped) {
    level_set set;
    int bad = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#') {
            continue;
        }
        if (has_control_character(line)) {
            ++bad;
            continue;
        }
        line.remove_prefix(first);
        const std::size_t gap = line.find_first_of(" \t");
        level_set_entry entry;
        entry.path = std::string(line.substr(0, gap));
        if (gap != std::string_view::npos) {
            const std::string_view rest = line.substr(gap);
            const std::size_t from = rest.find_first_not_of(" \t");
            const std::size_t to = rest.find_last_not_of(" \t");
            if (from != std::string_view::npos) {
                entry.title = std::string(rest.substr(from, to - from + 1));
            }
        }
        if (entry.title.empty()) {
            entry.title = title_from_path(entry.path);
        }
        set.push_back(std::move(entry));
    }
    if (skipped != nullptr) {
        *skipped = bad;
    }
    return set;
}

level_set load_level_set(const std::string& path) {
    std::string text;
    const bounded_read read = read_bounded(platform_path(path), max_level_set_bytes, text);
    if (!read.ok()) {
        std::cout << "No level set: unable to open " << path << " (" << read.problem << ")"
                  << std::endl;
        return {};
    }
    int skipped = 0;
    level_set set = parse_level_set(text, &skipped);
    if (read.truncated || set.size() > max_level_set_levels) {
        std::cout << "Level set " << path << " names more than " << max_level_set_levels
                  << " levels or is larger than " << max_level_set_bytes
                  << " bytes; only its first " << std::min(set.size(), max_level_set_levels)
                  << " levels are played." << std::endl;
        set.resize(std::min(set.size(), max_level_set_levels));
    }
    if (set.empty() || skipped > 0) {
        std::cout << "Level set " << path << ": " << set.size() << " levels, " << skipped
                  << " damaged lines left out" << std::endl;
    }
    return set;
}

std::vector<level_list_row> level_list_rows(const level_set& set,
                                            const std::vector<std::string>& keys,
                                            const records_map& records,
                                            const std::set<std::string>& assisted) {
    std::vector<level_list_row> rows;
    bool previous_won = true;  // the first level is always open
    for (std::size_t i = 0; i < set.size(); ++i) {
        level_list_row row;
        row.title = set[i].title;
        const auto found = i < keys.size() && !keys[i].empty() ? records.find(keys[i])
                                                                 : records.end();
        const bool won = found != records.end();
        if (won) {
            row.best_seconds = found->second.best_time_seconds;
        }
        row.assisted = !won && i < keys.size() && assisted.count(keys[i]) > 0;
        row.unlocked = previous_won || won || row.assisted;
        previous_won = won || row.assisted;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::optional<std::size_t> index_of_level(const std::vector<std::string>& keys,
                                          const std::string& key) {
    if (key.empty()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace quillomar
