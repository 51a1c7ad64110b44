// Level codes between the clipboard and the game: copying the level shown, pasting one to play.
#include <iostream>

#include "authoring/shared_level.h"
#include "framework/asset_paths.h"
#include "framework/bounded_read.h"
#include "framework/clipboard.h"
#include "game/words.h"
#include "level/level_limits.h"
#include "records/level_code.h"
#include "records/records_store.h"
#include "shell/paste_screen.h"
#include "shell/quillomar_game.h"

namespace quillomar {
namespace {

std::string said(std::string line) {
    std::cout << line << std::endl;
    return line;
}

}  // namespace

std::string quillomar_game::copy_level_code(const std::string& level_text) {
    const std::string folder = default_records_folder();
    const std::optional<recording> run = run_to_beat(folder, level_key(level_text));
    const std::string code =
        encode_level_code(level_text, run ? format_recording(*run) : std::string());
    if (!set_clipboard_text(window, code)) {
        return said(tr("There is no clipboard to copy the level's code to."));
    }
    return said((run ? tr("Level code copied, with the best run") : tr("Level code copied")) +
                " (" + std::to_string(code.size()) + " " + tr("characters") + ")");
}

std::string quillomar_game::copy_level_file_code(const std::string& game_path) {
    std::string text;
    const std::string path = platform_path(game_path);
    const bounded_read read = read_bounded(path, max_level_file_bytes, text);
    if (!read.ok() || read.truncated) {
        return said(describe_problem(path, read, max_level_file_bytes));
    }
    return copy_level_code(text);
}

std::string quillomar_game::paste_level_code(std::string_view code) {
    // The check of a large level takes seconds: it runs beside the frames, over this screen.
    push(std::make_unique<paste_screen>(std::string(code), default_records_folder()));
    return tr("Checking the pasted level...");
}

std::string quillomar_game::paste_from_clipboard() {
    // One character more than any code: a longer text is refused as no code, unread.
    const std::string text = clipboard_text(window, max_level_code_chars + 1);
    if (text.empty()) {
        return said(tr("The clipboard holds no text to paste as a level."));
    }
    return paste_level_code(text);
}

}  // namespace quillomar
