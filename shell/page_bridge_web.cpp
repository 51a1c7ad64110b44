#include "shell/page_bridge.h"

#include <emscripten.h>

#include <filesystem>
#include <string>

#include "records/records_store.h"
#include "shell/edit_mode.h"
#include "shell/menu_mode.h"
#include "shell/play_session.h"
#include "shell/quillomar_game.h"
#include "shell/title_screen.h"

namespace quillomar {
namespace {

quillomar_game* attached = nullptr;
// The level the game was started with, and whether it played it at once (a shared link).
std::string started_with;
bool started_playing = false;
// What the last call handed the page; the page copies it before its next call.
std::string answer;

const char* answered(std::string text) {
    answer = std::move(text);
    return answer.c_str();
}

// The game path of the level on screen: the one played, or edited; on the title screen the one
// played last, else the one its attract mode shows.
std::string level_on_screen(quillomar_game& game) {
    if (const play_session* session = game.session()) {
        return session->level_path();
    }
    if (const edit_mode* editor = game.editor()) {
        return editor->session().path();
    }
    const bool played = started_playing || game.level_path != started_with;
    if (!played && game.screen_name() == "title") {
        const std::string& behind = static_cast<const title_screen&>(game.top()).attract().level_path();
        if (!behind.empty()) {
            return behind;
        }
    }
    return game.level_path;
}

// The name a best run downloads under: its level's file name in the set, else its own.
std::string best_run_name(quillomar_game& game, const std::string& key) {
    const level_set& set = game.levels();
    const std::vector<std::string>& keys = game.level_keys();
    for (std::size_t i = 0; i < set.size() && i < keys.size(); ++i) {
        if (keys[i] == key) {
            return std::filesystem::path(set[i].path).stem().string() + "-best.replay";
        }
    }
    return key + ".replay";
}

}  // namespace

void attach_to_page(quillomar_game* game) {
    attached = game;
    if (game != nullptr) {
        started_with = game->level_path;
        started_playing = game->menu_plays_level;
    }
}

}  // namespace quillomar

using namespace quillomar;

extern "C" {

// The file of the level on screen, in the page's file system; empty before the game runs.
EMSCRIPTEN_KEEPALIVE const char* quillomar_level_shown() {
    if (attached == nullptr || attached->renderer() == nullptr) {
        return answered("");
    }
    return answered(platform_path(level_on_screen(*attached)));
}

// Plays the level file at `path` from its preview, as a level chosen in the menus is; a game not
// started from the title menu, or not running, ignores it. Returns whether it plays.
EMSCRIPTEN_KEEPALIVE int quillomar_play_level(const char* path) {
    if (attached == nullptr || attached->renderer() == nullptr || !attached->from_menu() ||
        path == nullptr) {
        return 0;
    }
    attached->menus().close();
    attached->play_level(path, true);
    return 1;
}

// The player's runs, one a line: the file, a tab, the name to download it under. The best runs
// first, then the recordings.
EMSCRIPTEN_KEEPALIVE const char* quillomar_runs() {
    const std::string folder = default_records_folder();
    if (attached == nullptr || folder.empty()) {
        return answered("");
    }
    std::string lines;
    std::error_code error;
    for (const std::string& from : {folder, folder + "/recordings"}) {
        for (auto it = std::filesystem::directory_iterator(from, error);
             !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
            const std::filesystem::path file = it->path();
            if (file.extension() != ".replay" || !it->is_regular_file(error)) {
                continue;
            }
            const std::string name = from == folder ? best_run_name(*attached, file.stem().string())
                                                    : file.filename().string();
            lines += file.string() + "\t" + name + "\n";
        }
    }
    return answered(lines);
}

// The HUD's lines over the game, one a line.
EMSCRIPTEN_KEEPALIVE const char* quillomar_hud_text() {
    std::string lines;
    if (attached != nullptr && attached->renderer() != nullptr) {
        for (const hud_line& line : attached->shell_hud_lines()) {
            lines += line.text + "\n";
        }
    }
    return answered(lines);
}

}  // extern "C"
