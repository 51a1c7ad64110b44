// What the player asked for on the command line. Parsing is kept apart from acting on it so that
// every answer (usage, version, errors) is decided in one place and main stays a few lines long.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quillomar {

struct command_line {
    // The level to play, as the player wrote it; the default is the game's own level.txt.
    std::string level_file = "level.txt";
    // Where to record this run's input, and which recording to play back; empty when not asked.
    std::string record_file;
    std::string replay_file;
    // --menu: start in the title menu.
    bool menu = false;
    // --record without a file: the run goes to a dated file in the recordings folder.
    bool record_dated = false;
    // --check: the level files to check instead of playing.
    bool check = false;
    std::vector<std::string> check_files;
    // --generate: the seed of the level to write instead of playing, and its size.
    std::optional<std::uint64_t> generate_seed;
    std::string generate_size = "medium";
    // --edit: the level file to open in the editor (a new level when it does not exist).
    std::string edit_file;
    // --code: the level file whose code to print instead of playing, and whether with its best
    // run (--with-best).
    std::string code_file;
    bool code_with_best = false;
    bool help = false;
    bool version = false;
    // One line saying what is wrong with the arguments; empty when they are usable.
    std::string error;
};

// Reads `quillomar [--menu] [--record [FILE]] [--replay FILE] [LEVEL_FILE]` (also --record=FILE), --help or
// -h, and --version; or `--check LEVEL_FILE...`, or `--generate SEED [--size small|medium|large]`,
// which play no game and take none of the playing options, or `--edit FILE`, or `--code FILE [--with-best]`. --help and --version win over anything else on the line. A level file named
// on the line must be a file that exists, here or among the installed levels (platform_path);
// "--" ends the options, so a level file may start with "-".
command_line parse_command_line(int argc, const char* const* argv);

// "quillomar <version>", the version set by the build.
std::string version_line();

// The usage text that --help prints, several lines ending in a line end.
std::string usage_text();

// Answers what needs no game: usage on `out` (status 0), the version on `out` (status 0), or the
// error as one line on `err` (status 2). Empty when the game should start.
std::optional<int> answer_without_playing(const command_line& options, std::ostream& out,
                                          std::ostream& err);

}  // namespace quillomar
