#include "shell/page_bridge.h"

#include <emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "authoring/shared_level.h"
#include "framework/asset_paths.h"
#include "framework/http_transport.h"
#include "framework/key_map.h"
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

// Whether the player steers the ball now: a run under way in play or about to start, not a
// replay; the page's fingers steer and push then, and tap the menus otherwise.
bool in_play(quillomar_game& game) {
    const play_session* session = game.session();
    const std::string screen = game.screen_name();
    if (session == nullptr || session->replaying() || (screen != "play" && screen != "ready")) {
        return false;
    }
    const game_state& s = session->state();
    return s.has_level && !s.won && !s.lost;
}

// The page's tests reach the game's own request transport (the browser's fetch) through
// quillomar_http_start and quillomar_http_answers, so that what they see is what the game's
// requests see. One transport per base address, kept for the page's life.
std::map<std::string, std::unique_ptr<http_transport>> transports;

// `text` as a JSON string, quotes included.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
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

// The code of the level on screen with the run to beat on it (what Ctrl+C copies); empty when no
// level is shown or its file cannot be read.
EMSCRIPTEN_KEEPALIVE const char* quillomar_level_code() {
    if (attached == nullptr || attached->renderer() == nullptr) {
        return answered("");
    }
    std::string why;
    const std::optional<std::string> code = level_file_code(
        platform_path(level_on_screen(*attached)), default_records_folder(), true, &why);
    return answered(code ? *code : std::string());
}

// Pastes a level code (a link's), as Ctrl+V does in the title menu: its line goes to the console
// and under the menu. Returns whether the pasted level is being checked, to be played.
EMSCRIPTEN_KEEPALIVE int quillomar_paste_code(const char* code) {
    if (attached == nullptr || attached->renderer() == nullptr || !attached->from_menu() ||
        code == nullptr) {
        return 0;
    }
    const std::string line = attached->paste_level_code(code);
    // The level is checked beside the frames, and played when it proves finishable.
    if (attached->screen_name() != "pasting") {
        attached->menus().tell(line);
        return 0;
    }
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

// Whether a finger on the picture plays (steers, pushes) rather than taps the menus.
EMSCRIPTEN_KEEPALIVE int quillomar_in_play() {
    return attached != nullptr && attached->keys() != nullptr && in_play(*attached) ? 1 : 0;
}

// The name of the screen on top ("title", "play", "win"...); empty before the game runs.
EMSCRIPTEN_KEEPALIVE const char* quillomar_screen() {
    return answered(attached != nullptr ? attached->screen_name() : std::string());
}

// A finger on the picture: `kind` 0 down, 1 moved, 2 lifted, 3 every finger lifted; `x` and
// `width` in the page's pixels from the picture's left edge.
EMSCRIPTEN_KEEPALIVE void quillomar_touch(int kind, int id, double x, double width) {
    if (attached == nullptr || attached->keys() == nullptr) {
        return;
    }
    touch_input& touch = attached->keys()->touch();
    switch (kind) {
        case 0: touch.finger_down(id, x, width); break;
        case 1: touch.finger_moved(id, x); break;
        case 2: touch.finger_up(id); break;
        case 3: touch.lift_all(); break;
        default: break;
    }
}

// A press from the page: its buttons over the picture ("flip", "retry", "pause"), or the pause
// when the browser takes the pointer back; other names do nothing.
EMSCRIPTEN_KEEPALIVE void quillomar_press(const char* name) {
    if (attached == nullptr || attached->keys() == nullptr || name == nullptr) {
        return;
    }
    key_input& keys = *attached->keys();
    if (std::strcmp(name, "flip") == 0) {
        keys.press(command::flip);
    } else if (std::strcmp(name, "retry") == 0) {
        keys.press(command::restart);
    } else if (std::strcmp(name, "pause") == 0) {
        keys.press(window_action::pause);
    }
}

// The ball's heading in degrees, atan2 of its x over its z; 0 without a run.
EMSCRIPTEN_KEEPALIVE double quillomar_heading() {
    const play_session* session = attached != nullptr ? attached->session() : nullptr;
    if (session == nullptr) {
        return 0.0;
    }
    const glm::vec3& h = session->state().ball.heading;
    const double degrees = std::atan2(h.x, h.z) * 180.0 / 3.14159265358979323846;
    return std::isfinite(degrees) ? degrees : 0.0;
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

// The HUD's lines with where each starts: its left end and its baseline, in the canvas's drawing
// pixels from the top-left corner, a tab, then the text (the touch test taps menu rows so).
EMSCRIPTEN_KEEPALIVE const char* quillomar_hud_places() {
    std::string lines;
    if (attached != nullptr && attached->renderer() != nullptr) {
        for (const hud_line& line : attached->shell_hud_lines()) {
            const int x = line.from_left_edge ? line.x_pixels : attached->width / 2 + line.x_pixels;
            lines += std::to_string(x) + "\t" + std::to_string(line.y_pixels) + "\t" + line.text +
                     "\n";
        }
    }
    return answered(lines);
}

// Starts `method` `path` (with `body`) to the server at `base` ("" is the page's own) and
// returns the request's id.
EMSCRIPTEN_KEEPALIVE int quillomar_http_start(const char* base, const char* method,
                                              const char* path, const char* body) {
    std::unique_ptr<http_transport>& transport = transports[base != nullptr ? base : ""];
    if (!transport) {
        transport = make_http_transport(base != nullptr ? base : "");
    }
    http_request request;
    request.method = method != nullptr ? method : "GET";
    request.path = path != nullptr ? path : "";
    request.body = body != nullptr ? body : "";
    return transport->start(request);
}

// The answers that came in since the last call, of every base, as a JSON array of
// {"base", "id", "status", "body", "error"}.
EMSCRIPTEN_KEEPALIVE const char* quillomar_http_answers() {
    std::string list;
    for (auto& [base, transport] : transports) {
        for (const http_answer& a : transport->collect()) {
            list += std::string(list.empty() ? "" : ",") + "{\"base\":" + quoted(base) +
                    ",\"id\":" + std::to_string(a.id) + ",\"status\":" +
                    std::to_string(a.status) + ",\"body\":" + quoted(a.body) +
                    ",\"error\":" + quoted(a.error) + "}";
        }
    }
    return answered("[" + list + "]");
}

}  // extern "C"
