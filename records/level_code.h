// A level, and the run that finished it, as one line of text for a chat message, a link or the
// clipboard:
//   QLM1.<base64url without padding>
// The base64url part is, byte for byte:
//   the level file's length and the run's length (0: no run), each 4 bytes little-endian;
//   one zlib stream of the level file's bytes followed by the run's (a best-run recording);
//   the CRC-32 of everything before it, 4 bytes little-endian.
// A code read from anywhere is hostile: decode_level_code bounds every length before it
// allocates, inflates no further than the lengths it was told (which are themselves bounded by
// the level and recording limits), and says what is wrong in one line.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "game/recording.h"

namespace quillomar {

inline constexpr std::string_view level_code_prefix = "QLM";
inline constexpr int level_code_version = 1;
// Far above any level written by hand with an hour's run; a longer text is no code.
inline constexpr std::size_t max_level_code_chars = std::size_t{16} << 20;

// The code of the level file's bytes, and of a run when given (the text of a recording).
std::string encode_level_code(std::string_view level_file, std::string_view run_file = {});

struct decoded_level_code {
    std::string level_file;           // the level file's bytes
    std::string key;                  // level_key(level_file)
    std::optional<recording> run;     // the run carried with it, of this level
};

// Reads a code: surrounding blanks, line breaks inside it (a chat's wrapping) and a link around
// it (anything up to "#level=", anything from the next '&') are allowed. The level must be one
// the level reader gives cubes to play on, and the run one of this level. Gives nothing, and
// one line saying why in `why`, otherwise.
std::optional<decoded_level_code> decode_level_code(std::string_view text, std::string* why);

}  // namespace quillomar
