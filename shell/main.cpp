#include <ctime>
#include <iostream>
#include <memory>

#include "authoring/level_check.h"
#include "authoring/level_edit_session.h"
#include "authoring/level_generator.h"
#include "authoring/shared_level.h"
#include "framework/asset_paths.h"
#include "records/records_store.h"
#include "framework/command_line.h"
#include "shell/quillomar_game.h"

int main(int argc, char** argv) {
    const quillomar::command_line options = quillomar::parse_command_line(argc, argv);
    if (const auto status = quillomar::answer_without_playing(options, std::cout, std::cerr)) {
        return *status;
    }
    // Checking and generating need no window.
    if (options.check) {
        return quillomar::run_level_check(options.check_files, std::cout);
    }
    if (!options.code_file.empty()) {
        std::string why;
        bool with_run = false;
        const std::optional<std::string> code = quillomar::level_file_code(
            quillomar::platform_path(options.code_file),
            options.code_with_best ? quillomar::default_records_folder() : std::string(),
            options.code_with_best, &why, &with_run);
        if (!code) {
            std::cerr << "quillomar: " << why << std::endl;
            return 1;
        }
        if (options.code_with_best && !with_run) {
            std::cerr << "quillomar: " << options.code_file
                      << " has no best run yet; the code holds the level alone" << std::endl;
        }
        std::cout << *code << std::endl;
        return std::cout ? 0 : 1;
    }
    if (options.generate_seed) {
        std::cout << quillomar::generate_level(*options.generate_seed,
                                               *quillomar::parse_level_size(options.generate_size))
                  << std::flush;
        if (!std::cout) {
            std::cerr << "quillomar: could not write the level to standard output" << std::endl;
            return 1;
        }
        return 0;
    }
    // A file the editor cannot open ends here, before a window opens.
    if (!options.edit_file.empty()) {
        std::string message;
        if (!quillomar::level_edit_session::open(options.edit_file, &message)) {
            std::cerr << "quillomar: " << message << std::endl;
            return 1;
        }
    }
    // The game object embeds large pools, so it always lives on the heap.
    auto the_game = std::make_unique<quillomar::quillomar_game>();
    the_game->level_path = options.level_file;
    the_game->record_path = options.record_file;
    if (options.record_dated) {
        // The run is named by the local time it started, among the player's recordings.
        const std::string folder = quillomar::default_records_folder();
        const std::time_t started = std::time(nullptr);
        std::tm local{};
        if (!folder.empty() && localtime_r(&started, &local) != nullptr) {
            the_game->record_path = quillomar::dated_recording_path(
                folder + "/recordings", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour, local.tm_min, local.tm_sec);
        }
    }
    the_game->replay_path = options.replay_file;
    the_game->start_in_menu = options.menu;
    the_game->menu_plays_level = options.menu && options.level_file != quillomar::assets::level_file;
    the_game->edit_path = options.edit_file;
    return the_game->run();
}
