#include "shell/theatre_screen.h"

#include <sys/stat.h>

#include <ctime>
#include <filesystem>

#include "authoring/generated_level_file.h"
#include "framework/bounded_read.h"
#include "framework/seams.h"
#include "game/medal_times.h"
#include "game/words.h"
#include "records/medal_store.h"
#include "game/level_set.h"
#include "records/records_store.h"
#include "shell/quillomar_game.h"

namespace quillomar {
namespace {

// The level key a recording's header names ("level <key>" on its second line); empty when the
// file cannot be read or says none. Only the header is read.
std::string recorded_level_key(const std::string& path) {
    std::string head;
    const bounded_read read = read_bounded(path, 4096, head);
    if (!read.ok()) {
        return {};
    }
    const std::size_t line = head.find("\nlevel ");
    if (line == std::string::npos) {
        return {};
    }
    const std::size_t from = line + 7;
    const std::size_t end = head.find('\n', from);
    return end == std::string::npos ? std::string() : head.substr(from, end - from);
}

// The title of the level `key` names: the set's title, else the title line of the level file
// its record names (a generated level's from its seed), else nothing.
std::string title_of_key(const quillomar_game& game, const records_store& records,
                         const std::string& key) {
    const std::vector<std::string>& keys = game.level_keys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key) {
            return tr(game.levels()[i].title);
        }
    }
    const level_record* record = records.find(key);
    if (record == nullptr || record->level_name.empty()) {
        return {};
    }
    level lvl;
    std::vector<std::string> quiet;
    if (lvl.read_file(record->level_name, &quiet) && !lvl.title.empty()) {
        return lvl.title;
    }
    const std::string generated = generated_level_title(record->level_name, "");
    return generated.empty() ? std::filesystem::path(record->level_name).filename().string()
                             : generated;
}

// The entry's level title, time, medal and date, as far as the records and the file say.
void fill_in(replay_entry& entry, const quillomar_game& game, const records_store& records,
             const medal_store& medals) {
    const std::string key = entry.best_run ? std::filesystem::path(entry.path).stem().string()
                                           : recorded_level_key(entry.path);
    if (const std::string title = title_of_key(game, records, key); !title.empty()) {
        entry.title = title;
    }
    const level_record* record = entry.best_run ? records.find(key) : nullptr;
    if (record != nullptr) {
        entry.seconds = record->best_time_seconds;
        if (const medal_times* times = medals.find(key)) {
            const medal earned = medal_for(*times, record->best_time_seconds);
            entry.medal = earned == medal::none ? std::string() : medal_name(earned);
        }
    }
    struct stat about {};
    if (::stat(entry.path.c_str(), &about) == 0) {
        entry.written = static_cast<long long>(about.st_mtime);
        // "10 Dec", with the year only when it is not this one: short enough to stand beside
        // the title and time in a small window.
        std::tm local{};
        std::tm today{};
        const std::time_t when = about.st_mtime;
        const std::time_t now = std::time(nullptr);
        char day[32];
        if (localtime_r(&when, &local) != nullptr && localtime_r(&now, &today) != nullptr &&
            std::strftime(day, sizeof day,
                          local.tm_year == today.tm_year ? "%d %b" : "%d %b %Y", &local) > 0) {
            entry.date = day;
        }
    }
}

}  // namespace

void theatre_screen::enter(quillomar_game& game, bool returning) {
    if (returning) {
        return;
    }
    const std::string folder = default_records_folder();
    records_store records(folder);
    records.load();
    std::vector<std::pair<std::string, std::string>> names;
    std::vector<std::string> candidates;
    if (const play_session* session = game.session()) {
        candidates.push_back(session->level_path());
    }
    candidates.push_back(game.level_path);
    for (const level_set_entry& entry : game.levels()) {
        candidates.push_back(entry.path);
    }
    for (const auto& [key, record] : records.records()) {
        names.emplace_back(key, record.level_name);
        candidates.push_back(record.level_name);
    }
    std::vector<replay_entry> entries =
        list_replays(folder, folder.empty() ? folder : folder + "/recordings", names);
    medal_store medals(folder);
    medals.load();
    for (replay_entry& entry : entries) {
        fill_in(entry, game, records, medals);
    }
    sort_replays(entries);
    theatre_.set_player_words(game.from_menu());
    theatre_.open(std::move(entries),
                  [candidates](const std::string& key) {
                      return level_file_for_key(key, candidates);
                  });
}

void theatre_screen::step(quillomar_game& game) {
    if (game.keys() == nullptr) {
        return;
    }
    const theatre_mode::outcome outcome = theatre_.update(*game.keys(), now());
    if (outcome == theatre_mode::outcome::close) {
        game.pop();
    } else if (outcome == theatre_mode::outcome::practice &&
               !game.level_open(level_key_of_file(theatre_.level_path()))) {
        // A recording of a level of the set that is not open yet is no way into it.
        theatre_.tell(tr("That level is locked: win the one before it to practise it."));
    } else if (outcome == theatre_mode::outcome::practice) {
        practice_start start;
        std::string path;
        std::unique_ptr<game_core> core = theatre_.take_practice(start, path);
        auto session = std::make_unique<play_session>(std::move(core), path,
                                                      play_session::kind::player);
        session->practise(std::move(start));
        game.start_session(std::move(session), false);
    }
}

void theatre_screen::draw(quillomar_game& game) {
    if (theatre_.watching()) {
        game.set_fall_map_cells(theatre_.playing()->run().level_key);
        theatre_.draw(*game.renderer(), game.width, game.height);
        return;
    }
    const std::vector<hud_line> lines = theatre_.hud_lines(game.text_frame());
    game.draw_below(*this, lines);
}

void theatre_screen::escape(quillomar_game& game) {
    if (theatre_.watching()) {
        theatre_.stop_watching();
    } else {
        game.pop();
    }
}

std::vector<hud_line> theatre_screen::hud_lines(const quillomar_game& game) const {
    return theatre_.hud_lines(const_cast<quillomar_game&>(game).text_frame());
}

}  // namespace quillomar
