#include "framework/command_line.h"

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "framework/asset_paths.h"

#ifndef QUILLOMAR_VERSION
#error "QUILLOMAR_VERSION is set by the build from the project's version"
#endif

namespace quillomar {
namespace {

bool is_playable_file(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(platform_path(path), error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

// A seed is a whole decimal number that fits 64 bits, nothing else.
std::optional<std::uint64_t> parse_seed(std::string_view text) {
    if (text.empty() || text.size() > 20) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace

command_line parse_command_line(int argc, const char* const* argv) {
    command_line result;
    bool level_given = false;
    bool options_ended = false;
    bool size_given = false;
    bool playing_option = false;
    std::vector<std::string> files;
    auto fail = [&result](const std::string& text) {
        // The first problem is the one reported; later ones are usually its consequence.
        if (result.error.empty()) {
            result.error = text;
        }
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] != nullptr ? argv[i] : "";
        if (!options_ended && arg.size() > 1 && arg[0] == '-') {
            if (arg == "--") {
                options_ended = true;
            } else if (arg == "--help" || arg == "-h") {
                result.help = true;
            } else if (arg == "--version") {
                result.version = true;
            } else if (arg == "--menu") {
                result.menu = true;
                playing_option = true;
            } else if (arg == "--check") {
                result.check = true;
            } else if (arg == "--generate" || arg == "--size") {
                const bool seed = arg == "--generate";
                const std::string_view value =
                    i + 1 < argc && argv[i + 1] != nullptr ? argv[++i] : "";
                if (seed) {
                    result.generate_seed = parse_seed(value);
                    if (!result.generate_seed) {
                        fail("option --generate needs a seed, a whole number from 0 to " +
                             std::to_string(UINT64_MAX));
                        result.generate_seed = 0;
                    }
                } else if (value == "small" || value == "medium" || value == "large") {
                    result.generate_size = std::string(value);
                    size_given = true;
                } else {
                    fail("option --size needs small, medium or large");
                    size_given = true;
                }
            } else if (arg == "--code") {
                result.code_file = i + 1 < argc && argv[i + 1] != nullptr ? argv[++i] : "";
                if (result.code_file.empty()) {
                    fail("option --code needs a level file");
                }
            } else if (arg == "--with-best") {
                result.code_with_best = true;
            } else if (arg == "--edit") {
                result.edit_file = i + 1 < argc && argv[i + 1] != nullptr ? argv[++i] : "";
                if (result.edit_file.empty()) {
                    fail("option --edit needs a level file");
                }
            } else if (arg == "--record" || arg == "--replay" || arg.rfind("--record=", 0) == 0 ||
                       arg.rfind("--replay=", 0) == 0) {
                const std::string_view name = arg.substr(2, 6);
                std::string& target = name == "record" ? result.record_file : result.replay_file;
                const std::size_t equals = arg.find('=');
                // --record alone, or followed by another option, records into a dated file.
                const bool next_is_value = i + 1 < argc && argv[i + 1] != nullptr &&
                                           (name != "record" || argv[i + 1][0] != '-');
                if (equals != std::string_view::npos) {
                    target = std::string(arg.substr(equals + 1));
                } else if (next_is_value) {
                    target = argv[++i];
                } else if (name == "record") {
                    result.record_dated = true;
                }
                if (target.empty() && !result.record_dated) {
                    fail("option --" + std::string(name) + " needs a file name");
                }
                playing_option = true;
            } else {
                fail("unknown option " + std::string(arg) + " (try --help)");
            }
        } else {
            files.emplace_back(arg);
        }
    }
    if (result.code_with_best && result.code_file.empty()) {
        fail("option --with-best goes with --code");
    }
    if (!result.code_file.empty()) {
        if (result.check || result.generate_seed || !result.edit_file.empty() ||
            playing_option || !files.empty()) {
            fail("--code takes one level file and only --with-best beside it");
        }
        return result;
    }
    if (!result.edit_file.empty() &&
        (result.check || result.generate_seed || !files.empty() ||
         !result.record_file.empty() || !result.replay_file.empty())) {
        fail("--edit takes one level file and no other option or file");
    }
    if (result.check || result.generate_seed) {
        if (result.check && result.generate_seed) {
            fail("--check and --generate cannot be asked for together");
        } else if (playing_option) {
            fail("--menu, --record and --replay play a game; --check and --generate play none");
        } else if (result.check && files.empty()) {
            fail("option --check needs at least one level file");
        } else if (result.generate_seed && !files.empty()) {
            fail("--generate writes to standard output and takes no file, got " + files[0]);
        }
        result.check_files = result.check ? files : std::vector<std::string>{};
        return result;
    }
    if (size_given) {
        fail("option --size goes with --generate");
    }
    for (const std::string& file : files) {
        if (level_given) {
            fail("only one level file can be played, got " + result.level_file + " and " +
                 file);
        } else {
            level_given = true;
            result.level_file = file;
        }
    }
    if (level_given && !is_playable_file(result.level_file)) {
        fail("level file " + result.level_file + " not found");
    }
    return result;
}

std::string version_line() {
    return std::string("quillomar ") + QUILLOMAR_VERSION;
}

std::string usage_text() {
    return "Usage: quillomar [OPTION]... [LEVEL_FILE]\n"
           "Roll the ball over the level in LEVEL_FILE (default: level.txt) to the finish.\n"
           "\n"
           "  --menu         start in the title menu\n"
           "  --record FILE  record this run's input into FILE\n"
           "  --record       record it into a dated file among the recordings\n"
           "  --replay FILE  play back the run recorded in FILE\n"
           "  --check LEVEL_FILE...\n"
           "                 play each level headless along a planned route and print\n"
           "                 whether it can be finished, with its medal times\n"
           "                 (exit 1 when any cannot)\n"
           "  --generate SEED [--size small|medium|large]\n"
           "                 write a finishable level made from SEED to standard output\n"
           "  --edit FILE    edit the level in FILE (a new level when there is none)\n"
           "  --code FILE [--with-best]\n"
           "                 print the level in FILE as one line of text to paste\n"
           "                 into another game, with the best run on it when asked\n"
           "  -h, --help     print this help and exit\n"
           "  --version      print the version and exit\n"
           "\n"
           "Files not found in the working directory are taken from the installed game.\n"
           "Exit status: 0 after a normal game, 1 when the window cannot be opened,\n"
           "2 for unusable arguments.\n";
}

std::optional<int> answer_without_playing(const command_line& options, std::ostream& out,
                                          std::ostream& err) {
    if (options.help) {
        out << usage_text() << std::flush;
        return 0;
    }
    if (options.version) {
        out << version_line() << std::endl;
        return 0;
    }
    if (!options.error.empty()) {
        err << "quillomar: " << options.error << std::endl;
        return 2;
    }
    return std::nullopt;
}

}  // namespace quillomar
