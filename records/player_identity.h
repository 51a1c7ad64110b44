// Who the player is to a record server: a name and a secret made on first use and kept in the
// player's config folder (player.txt beside settings.txt). The server keeps only a salted hash of
// the secret; nobody else can send runs under the name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillomar {

struct player_identity {
    std::string name;
    std::string secret;
};

// 1 to 32 letters, digits, '-', '_', '.'.
bool valid_player_name(std::string_view name);
// 16 to 128 printable characters without blanks.
bool valid_player_secret(std::string_view secret);

// A name and a secret from `seed` ("player-" and six hex digits; 32 hex digits of secret).
player_identity make_identity(std::uint64_t seed_name, std::uint64_t seed_secret_a,
                              std::uint64_t seed_secret_b);

// player.txt, version 1:
//   quillomar-player 1
//   name <name>
//   secret <secret>
std::string format_identity(const player_identity& who);
std::optional<player_identity> parse_identity(std::string_view text, std::string* why = nullptr);

// The file beside settings.txt (see settings_path).
std::string identity_path(const std::string& settings_file_path);

// The identity kept at `path`, or, when there is none, a new one (from the seeds) written there
// atomically. A file that is not a player file is moved aside with one line, and a new identity
// made: the old secret is kept aside for the player to bring back.
player_identity load_or_make_identity(const std::string& path, std::uint64_t seed_name,
                                      std::uint64_t seed_a, std::uint64_t seed_b);
bool save_identity(const std::string& path, const player_identity& who);

}  // namespace quillomar
