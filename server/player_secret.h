// Players prove who they are with a secret they made themselves on first use. The server keeps
// only a salted SHA-256 of it, so a leaked database names no secret.
#pragma once

#include <string>
#include <string_view>

namespace quillomar::server {

// A player's name: 1 to 32 characters of letters, digits, '-', '_' and '.'; so it prints on any
// leaderboard and in any log line as it is.
bool valid_player_name(std::string_view name);

// A secret: 16 to 128 printable ASCII characters without spaces.
bool valid_secret(std::string_view secret);

// `bytes` random bytes from the system's generator, as lower-case hex.
std::string random_hex(std::size_t bytes);

// Hex SHA-256 of salt and secret.
std::string secret_hash(std::string_view salt, std::string_view secret);

// Compares two hashes in time that does not depend on where they differ.
bool same_hash(std::string_view a, std::string_view b);

}  // namespace quillomar::server
