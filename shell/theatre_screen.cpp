#include "shell/theatre_screen.h"

#include "game/words.h"

#include "framework/seams.h"
#include "game/level_set.h"
#include "records/records_store.h"
#include "shell/quillomar_game.h"

namespace quillomar {

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
    theatre_.open(list_replays(folder, folder.empty() ? folder : folder + "/recordings", names),
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
